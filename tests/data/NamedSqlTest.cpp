#include "data/fb/NamedSql.h"

#include <gtest/gtest.h>

namespace qorita::fb {
namespace {

struct NamedSqlCase {
    const char* Sql;
    const char* Positional;
    std::vector<std::string> AtPosition;
    std::vector<std::string> Names;
};

void PrintTo(const NamedSqlCase& ACase, std::ostream* AOut) { *AOut << ACase.Sql; }

class NamedSqlTest : public ::testing::TestWithParam<NamedSqlCase> {};

TEST_P(NamedSqlTest, TranslatesToPositionalParameters)
{
    const NamedSqlCase& c = GetParam();
    const TNamedSql result = TranslateNamedSql(c.Sql);
    EXPECT_EQ(result.PositionalSql, c.Positional);
    EXPECT_EQ(result.ParameterAtPosition, c.AtPosition);
    EXPECT_EQ(result.Names, c.Names);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NamedSqlTest,
    ::testing::Values(
        NamedSqlCase{"SELECT * FROM T WHERE ID=:ID", "SELECT * FROM T WHERE ID=?", {"ID"}, {"ID"}},
        // A name used twice takes one value at both places.
        NamedSqlCase{"A.NOME=:NOME AND B=:utente OR :Nome",
                     "A.NOME=? AND B=? OR ?",
                     {"NOME", "UTENTE", "NOME"},
                     {"NOME", "UTENTE"}},
        NamedSqlCase{"SELECT ':X' FROM T WHERE A=:A", "SELECT ':X' FROM T WHERE A=?", {"A"}, {"A"}},
        NamedSqlCase{"SELECT 'it''s :X' FROM T WHERE A=:A", "SELECT 'it''s :X' FROM T WHERE A=?", {"A"}, {"A"}},
        NamedSqlCase{"SELECT \"A:B\" FROM T", "SELECT \"A:B\" FROM T", {}, {}},
        NamedSqlCase{"SELECT 1 -- :X\r\nFROM T WHERE A=:A", "SELECT 1 -- :X\r\nFROM T WHERE A=?", {"A"}, {"A"}},
        NamedSqlCase{
            "SELECT /* :X */ 1 FROM T WHERE A=:A_1$", "SELECT /* :X */ 1 FROM T WHERE A=?", {"A_1$"}, {"A_1$"}},
        // A colon not followed by a name is copied (array slices, time literals).
        NamedSqlCase{"SELECT '10:30', X[1:2] FROM T", "SELECT '10:30', X[1:2] FROM T", {}, {}},
        NamedSqlCase{"VALUES(:ID,\r\n  :TESTATA)", "VALUES(?,\r\n  ?)", {"ID", "TESTATA"}, {"ID", "TESTATA"}}));

}  // namespace
}  // namespace qorita::fb
