#include "TestDatabase.h"
#include "data/Savepoint.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbStatement.h"
#include "data/fb/FbTransaction.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace qorita {
namespace {

using test::TTestDatabase;

class SavepointTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Db.Exec("INSERT INTO QORITA_TESTATE (ID, NUMEROSPEDIZIONE) VALUES (1, NULL)");
        Connection.Open(Db.Location(), {"SYSDBA", TTestDatabase::Password()});
        Transaction.Start();
    }

    void Exec(const std::string& ASql)
    {
        fb::TFbStatement statement(Connection, Transaction, ASql, false);
        statement.Execute();
    }

    TTestDatabase Db;
    fb::TFbConnection Connection;
    fb::TFbTransaction Transaction{Connection};
};

// Writes before the savepoint stay either way; writes after it stay only when
// it was released, and the transaction goes on to its commit in both cases.
TEST_F(SavepointTest, UnreleasedUndoesOnlyWhatFollowedItReleasedKeepsIt)
{
    Exec("UPDATE QORITA_TESTATE SET COLLI=3 WHERE ID=1");
    try {
        TSavepoint savepoint(Connection, Transaction, "PROVA");
        Exec("UPDATE QORITA_TESTATE SET NUMEROSPEDIZIONE=123 WHERE ID=1");
        throw std::runtime_error("a later write failed");
    } catch (const std::runtime_error&) {
    }
    {
        TSavepoint savepoint(Connection, Transaction, "PROVA");
        Exec("INSERT INTO QORITA_TESTATE (ID, NUMEROSPEDIZIONE) VALUES (2, 456)");
        savepoint.Release();
    }
    Transaction.Commit();
    EXPECT_EQ(Db.Scalar("SELECT COLLI FROM QORITA_TESTATE WHERE ID=1"), "3");
    EXPECT_EQ(Db.Scalar("SELECT NUMEROSPEDIZIONE FROM QORITA_TESTATE WHERE ID=1"), std::nullopt);
    EXPECT_EQ(Db.Scalar("SELECT NUMEROSPEDIZIONE FROM QORITA_TESTATE WHERE ID=2"), "456");
}

}  // namespace
}  // namespace qorita
