#include "ErrorOf.h"
#include "TestDatabase.h"
#include "common/Exception.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbStatement.h"
#include "data/fb/FbTransaction.h"

#include <gtest/gtest.h>

#include <chrono>
#include <type_traits>

namespace qorita::fb {
namespace {

using test::ErrorOf;
using test::TTestDatabase;

class FbStatementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Db.Exec(
            "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, S SMALLINT, B BIGINT, N NUMERIC(15,3), "
            "D DECIMAL(9,2), F FLOAT, DP DOUBLE PRECISION, C CHAR(5), V VARCHAR(10), M BLOB SUB_TYPE TEXT, "
            "TS TIMESTAMP, DT DATE)");
        Connection.Open(Db.Location(), {"SYSDBA", TTestDatabase::Password()});
    }

    // A snapshot sees what was committed before it started: begin after the
    // rows a test prepares.
    void Begin() { Transaction.Start(); }

    TTestDatabase Db;
    TFbConnection Connection;
    TFbTransaction Transaction{Connection};
};

TEST_F(FbStatementTest, ReadsEveryColumnTypeAsTheKindAskedFor)
{
    Db.Exec(
        "INSERT INTO T VALUES (1, -7, 9000000000, 12.345, 3.5, 1.5, 2.25, 'ab', 'xyz', 'long text', "
        "'2026-12-10 13:14:15.678', '2026-01-02')");
    Begin();
    TFbStatement select(Connection, Transaction, "SELECT * FROM T WHERE ID=:ID");
    select.Param("id").SetInt32(1);
    select.Execute();
    ASSERT_FALSE(select.Eof());
    EXPECT_EQ(select.Field("S").AsInt32(), -7);
    EXPECT_EQ(select.Field("B").AsInt64(), 9000000000LL);
    EXPECT_THROW(select.Field("B").AsInt32(), Exception);
    EXPECT_DOUBLE_EQ(select.Field("N").AsDouble(), 12.345);
    EXPECT_DOUBLE_EQ(select.Field("D").AsDouble(), 3.5);
    EXPECT_DOUBLE_EQ(select.Field("F").AsDouble(), 1.5);
    EXPECT_DOUBLE_EQ(select.Field("DP").AsDouble(), 2.25);
    EXPECT_EQ(select.Field("C").AsText(), "ab   ");  // CHAR comes back padded
    EXPECT_EQ(select.Field("V").AsText(), "xyz");
    EXPECT_EQ(select.Field("M").AsText(), "long text");
    EXPECT_EQ(FormatIso(select.Field("TS").AsDateTime()), "2026-12-10 13:14:15.000");
    EXPECT_EQ(FormatIso(select.Field("DT").AsDateTime()), "2026-01-02 00:00:00.000");
    EXPECT_EQ(select.Field("DP").AsInt32(), 2);
    EXPECT_THROW(select.Field("NOPE"), Exception);
    select.Close();
}

TEST_F(FbStatementTest, NullsReadAsZeroAndEmptyWithTheirFlag)
{
    Db.Exec("INSERT INTO T (ID) VALUES (2)");
    Begin();
    TFbStatement select(Connection, Transaction, "SELECT * FROM T WHERE ID=:ID");
    select.Param("ID").SetInt32(2);
    select.Execute();
    for (const char* column : {"S", "N", "V", "M", "TS"}) EXPECT_TRUE(select.Field(column).IsNull()) << column;
    EXPECT_EQ(select.Field("S").AsInt32(), 0);
    EXPECT_EQ(select.Field("N").AsDouble(), 0.0);
    EXPECT_EQ(select.Field("M").AsText(), "");
    EXPECT_EQ(select.Field("TS").AsDateTime(), 0.0);
}

TEST_F(FbStatementTest, WritesEveryKindIntoAnyColumnTypeAndRepeatedNamesTakeOneValue)
{
    Begin();
    TFbStatement insert(Connection, Transaction,
                        "INSERT INTO T (ID, S, B, N, D, F, DP, C, V, M, TS, DT) VALUES "
                        "(:ID, :ID, :B, :N, :N, :N, :N, :V, :V, :M, :TS, :TS)");
    const std::string label(300000, 'Z');
    insert.Param("ID").SetInt32(3);
    insert.Param("B").SetInt64(-5);
    insert.Param("N").SetDouble(1.25);
    insert.Param("V").SetText("é€");
    insert.Param("M").SetText(label);
    insert.Param("TS").SetDateTime(EncodeDateTime({2025, 5, 6, 7, 8, 9, 999}));
    insert.Execute();
    Transaction.Commit();
    const auto rows = Db.Query("SELECT * FROM T WHERE ID=3");
    ASSERT_EQ(rows.size(), 1u);
    const auto& row = rows.front();
    EXPECT_EQ(row.at("S"), "3");
    EXPECT_EQ(row.at("B"), "-5");
    EXPECT_EQ(row.at("N"), "1.25");
    EXPECT_EQ(row.at("D"), "1.25");
    EXPECT_EQ(row.at("C"), "é€   ");
    EXPECT_EQ(row.at("V"), "é€");
    EXPECT_EQ(row.at("M")->size(), label.size());
    EXPECT_EQ(row.at("TS"), "2025-05-06 07:08:09");  // milliseconds dropped on writing
    EXPECT_EQ(row.at("DT"), "2025-05-06 00:00:00");
}

TEST_F(FbStatementTest, ReusesThePreparedStatementWithNewValues)
{
    Begin();
    TFbStatement insert(Connection, Transaction, "INSERT INTO T (ID, V) VALUES (:ID, :V)");
    for (int id = 10; id < 13; ++id) {
        insert.Param("ID").SetInt32(id);
        if (id == 11) {
            insert.Param("V").SetNull();
        } else {
            insert.Param("V").SetText("v" + std::to_string(id));
        }
        insert.Execute();
    }
    Transaction.Commit();
    const auto rows = Db.Query("SELECT ID, V FROM T ORDER BY ID");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].at("V"), "v10");
    EXPECT_EQ(rows[1].at("V"), std::nullopt);
    EXPECT_EQ(rows[2].at("V"), "v12");
}

TEST_F(FbStatementTest, DatabaseErrorsCarryTheServersMessage)
{
    Begin();
    TFbStatement missingTable(Connection, Transaction, "SELECT * FROM NOPE WHERE ID=:ID");
    const std::string unknown = ErrorOf([&] { missingTable.Execute(); });
    EXPECT_NE(unknown.find("Table unknown"), std::string::npos) << unknown;
    EXPECT_NE(unknown.find("NOPE"), std::string::npos);
    TFbStatement tooLong(Connection, Transaction, "INSERT INTO T (ID, V) VALUES (:ID, :V)");
    tooLong.Param("ID").SetInt32(20);
    tooLong.Param("V").SetText("0123456789ABC");
    const std::string truncated = ErrorOf([&] { tooLong.Execute(); });
    EXPECT_NE(truncated.find("string right truncation"), std::string::npos) << truncated;
    EXPECT_THROW(tooLong.Param("NOT_THERE"), Exception);
}

TEST_F(FbStatementTest, AMessageLongerThanAFirstGuessArrivesWhole)
{
    // The server quotes the token it could not read; the message then runs
    // past any fixed buffer a reader of the status might start with.
    const std::string token = "'" + std::string(6000, 'q') + "'";
    Begin();
    TFbStatement wrong(Connection, Transaction, "SELECT 1 " + token + " FROM RDB$DATABASE");
    const std::string message = ErrorOf([&] { wrong.Prepare(); });
    EXPECT_NE(message.find("Token unknown"), std::string::npos) << message.substr(0, 200);
    EXPECT_NE(message.find(token), std::string::npos) << message.size();
}

TEST_F(FbStatementTest, NumbersInTextColumnsReadAsTheDatabaseCastsThem)
{
    Begin();
    TFbStatement select(Connection, Transaction,
                        "SELECT CAST(' 12' AS CHAR(6)) AS PADDED, '+7' AS SIGNED, '2.5e1' AS EXPONENT, "
                        "'12x' AS LETTERS, '1,5' AS COMMA FROM RDB$DATABASE");
    select.Execute();
    EXPECT_EQ(select.Field("PADDED").AsInt64(), 12);
    EXPECT_EQ(select.Field("PADDED").AsDouble(), 12.0);
    EXPECT_EQ(select.Field("SIGNED").AsInt32(), 7);
    EXPECT_EQ(select.Field("EXPONENT").AsDouble(), 25.0);
    EXPECT_EQ(ErrorOf([&] { select.Field("EXPONENT").AsInt64(); }), "'2.5e1' is not a valid integer value");
    EXPECT_EQ(ErrorOf([&] { select.Field("LETTERS").AsInt64(); }), "'12x' is not a valid integer value");
    EXPECT_EQ(ErrorOf([&] { select.Field("COMMA").AsDouble(); }), "'1,5' is not a valid floating point value");
    select.Close();
}

TEST_F(FbStatementTest, ANowaitConflictFailsAtOnce)
{
    Db.Exec("INSERT INTO T (ID, V) VALUES (30, 'a')");
    Begin();
    TFbStatement update(Connection, Transaction, "UPDATE T SET V=:V WHERE ID=:ID");
    update.Param("ID").SetInt32(30);
    update.Param("V").SetText("mine");
    update.Execute();

    TFbConnection other;
    other.Open(Db.Location(), {"SYSDBA", TTestDatabase::Password()});
    TFbTransaction otherTransaction(other);
    otherTransaction.Start();
    TFbStatement conflicting(other, otherTransaction, "UPDATE T SET V=:V WHERE ID=:ID");
    conflicting.Param("ID").SetInt32(30);
    conflicting.Param("V").SetText("theirs");
    const auto started = std::chrono::steady_clock::now();
    const std::string conflict = ErrorOf([&] { conflicting.Execute(); });
    EXPECT_NE(conflict.find("update conflicts with concurrent update"), std::string::npos) << conflict;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

static_assert(!std::is_copy_constructible_v<TFbConnection> && std::is_nothrow_move_constructible_v<TFbConnection> &&
              std::is_nothrow_move_assignable_v<TFbConnection>);
static_assert(!std::is_copy_constructible_v<TFbTransaction> && std::is_nothrow_move_constructible_v<TFbTransaction> &&
              std::is_nothrow_move_assignable_v<TFbTransaction>);

TEST_F(FbStatementTest, ConnectionAndTransactionMoveWithTheirHandles)
{
    TFbConnection moved(std::move(Connection));
    EXPECT_FALSE(Connection.IsOpen());
    ASSERT_TRUE(moved.IsOpen());
    EXPECT_EQ(moved.Location(), Db.Location());

    TFbTransaction first(moved);
    first.Start();
    {
        TFbStatement insert(moved, first, "INSERT INTO T (ID) VALUES (40)", false);
        insert.Execute();
    }
    TFbTransaction second(std::move(first));
    EXPECT_FALSE(first.IsActive());
    ASSERT_TRUE(second.IsActive());
    second.Commit();

    // Taking another transaction's place rolls back the one that was there.
    TFbTransaction replaced(moved);
    replaced.Start();
    {
        TFbStatement insert(moved, replaced, "INSERT INTO T (ID) VALUES (41)", false);
        insert.Execute();
    }
    replaced = TFbTransaction(moved);
    EXPECT_FALSE(replaced.IsActive());
    // The row of the rolled back transaction holds no lock: a nowait insert of
    // the same key would fail at once if it did.
    replaced.Start();
    {
        TFbStatement insert(moved, replaced, "INSERT INTO T (ID, V) VALUES (41, 'again')", false);
        insert.Execute();
    }
    replaced.Commit();

    // Taking another connection's place detaches the one that was there.
    TFbConnection target;
    target.Open(Db.Location(), {"SYSDBA", TTestDatabase::Password()});
    target = std::move(moved);
    EXPECT_FALSE(moved.IsOpen());
    EXPECT_TRUE(target.IsOpen());
    target.Close();

    const auto rows = Db.Query("SELECT ID, V FROM T WHERE ID IN (40, 41) ORDER BY ID");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("ID"), "40");
    EXPECT_EQ(rows[1].at("V"), "again");
}

TEST(FbConnectionTest, AMissingDatabaseGivesTheClientsMessage)
{
    TFbConnection connection;
    const std::string error = ErrorOf([&] {
        connection.Open("/nonexistent/folder/db.fdb", {"SYSDBA", TTestDatabase::Password()});
    });
    EXPECT_NE(error.find("/nonexistent/folder/db.fdb"), std::string::npos) << error;
    EXPECT_FALSE(connection.IsOpen());
}

}  // namespace
}  // namespace qorita::fb
