#include "TestDatabase.h"
#include "data/DataSchema.h"
#include "data/DataSql.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbTransaction.h"

#include <gtest/gtest.h>

namespace qorita {
namespace {

struct SqlObjectsCase {
    std::vector<std::string> Statements;
    std::map<std::string, std::set<std::string>> Tables;
    std::set<std::string> Generators;
};

TEST(DataSchemaTest, SqlObjectsReadsTablesColumnsAndGeneratorsFromTheText)
{
    const std::vector<SqlObjectsCase> cases = {
        // Parameters, keywords, numbers and "*" name no column.
        {{"SELECT * FROM T1 WHERE ID=:ID WITH LOCK"}, {{"T1", {"ID"}}}, {}},
        {{"select a,\r\n  b from t2 where c is not distinct from :c and d=1"}, {{"T2", {"A", "B", "C", "D"}}}, {}},
        {{"UPDATE OR INSERT INTO T3(\r\n  X,\r\n  Y\r\n)\r\nVALUES(\r\n  :X,\r\n  :Y\r\n)"}, {{"T3", {"X", "Y"}}}, {}},
        {{"INSERT INTO T4\r\n(\r\n  P\r\n  ,Q\r\n)\r\nVALUES(:P, 'literal WITH Z', :Q)"}, {{"T4", {"P", "Q"}}}, {}},
        // A draw names a generator and no table.
        {{"SELECT GEN_ID(G1,1) FROM RDB$DATABASE"}, {}, {"G1"}},
        // Comments and literals, read by the same scanner as the parameters,
        // name nothing: not even a doubled quote ends a literal early.
        {{"SELECT A -- B FROM X\r\n/* C, :D */ FROM T6 WHERE E='it''s F'"}, {{"T6", {"A", "E"}}}, {}},
        // Two statements on one table add up.
        {{"SELECT A FROM T5", "INSERT INTO T5(B) VALUES(:B)"}, {{"T5", {"A", "B"}}}, {}},
    };
    for (const SqlObjectsCase& c : cases) {
        const TSqlObjects objects = SqlObjects(c.Statements);
        EXPECT_EQ(objects.Tables, c.Tables) << c.Statements.front();
        EXPECT_EQ(objects.Generators, c.Generators) << c.Statements.front();
    }
}

// The reference schema was written for the program: a run needs every one of
// its columns but TABX.CODICE (only written by TKelTabX, which a run never
// does), and draws from the log and parcel-counter generators.
TEST(DataSchemaTest, ARunNeedsTheReferenceSchemaAndTheDatabaseHasIt)
{
    test::TTestDatabase db;
    const TSqlObjects objects = SqlObjects(sql::RunStatements());
    ASSERT_EQ(objects.Tables.size(), 5u);
    for (const auto& [table, columns] : objects.Tables) {
        std::set<std::string> defined;
        for (const test::TRow& row : db.Query(
                 "SELECT TRIM(RDB$FIELD_NAME) AS F FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='" + table + "'")) {
            if (table + "." + *row.at("F") != "TABX.CODICE") defined.insert(*row.at("F"));
        }
        EXPECT_EQ(columns, defined) << table;
    }
    EXPECT_EQ(objects.Generators, (std::set<std::string>{"QORITA_LOG_ID", "QORITA_RIGHE_CONTATOREPROG"}));

    const auto connection = db.Connect();
    fb::TFbTransaction transaction(*connection, {.Access = fb::TFbAccessMode::ReadOnly});
    transaction.Start();
    EXPECT_EQ(MissingObjects(*connection, transaction, objects), std::vector<std::string>{});
    EXPECT_EQ(RefusedStatements(*connection, transaction, sql::RunStatements()), std::vector<std::string>{});
    transaction.Rollback();
}

TEST(DataSchemaTest, MissingObjectsAndRefusedStatementsNameWhatIsNotThere)
{
    test::TTestDatabase db;
    db.Exec("DROP TABLE QORITA_LOG");
    db.Exec("ALTER TABLE QORITA_TESTATE DROP STATUS");
    db.Exec("DROP GENERATOR QORITA_RIGHE_CONTATOREPROG");
    const auto connection = db.Connect();
    fb::TFbTransaction transaction(*connection, {.Access = fb::TFbAccessMode::ReadOnly});
    transaction.Start();
    EXPECT_EQ(MissingObjects(*connection, transaction, SqlObjects(sql::RunStatements())),
              (std::vector<std::string>{"table QORITA_LOG", "column QORITA_TESTATE.STATUS",
                                        "generator QORITA_RIGHE_CONTATOREPROG"}));
    const std::vector<std::string> refused = RefusedStatements(*connection, transaction, sql::RunStatements());
    // The counter's draw and its step past the highest counter sent both
    // need the generator.
    ASSERT_EQ(refused.size(), 4u);
    EXPECT_NE(refused[0].find("STATUS"), std::string::npos) << refused[0];
    EXPECT_NE(refused[1].find("QORITA_LOG"), std::string::npos) << refused[1];
    EXPECT_NE(refused[2].find("QORITA_RIGHE_CONTATOREPROG"), std::string::npos) << refused[2];
    EXPECT_NE(refused[3].find("QORITA_RIGHE_CONTATOREPROG"), std::string::npos) << refused[3];
    for (const std::string& message : refused) EXPECT_EQ(message.find('\n'), std::string::npos);
    transaction.Rollback();
}

}  // namespace
}  // namespace qorita
