#include "app/CmdParams.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

namespace qorita {
namespace {

TEST(CmdParamsTest, CommandsAndKeysMatchWithoutRegardToCase)
{
    TCmdParams params({"-crea", "databasename=x", "chiamataid=5"});
    EXPECT_NO_THROW(params.Validate());
    const auto comando = params.GetComando();
    ASSERT_NE(dynamic_cast<TCreaComando*>(comando.get()), nullptr);
    EXPECT_EQ(comando->DatabaseName(), "x");
    EXPECT_EQ(comando->ChiamataId(), 5);
}

TEST(CmdParamsTest, EachCommandGetsItsClass)
{
    EXPECT_NE(dynamic_cast<TCreaConfermaComando*>(TCmdParams({"-CREACONFERMA", "DatabaseName=a", "ChiamataId=1"}).GetComando().get()), nullptr);
    EXPECT_NE(dynamic_cast<TConfermaComando*>(TCmdParams({"-Conferma", "DatabaseName=a", "ChiamataId=1"}).GetComando().get()), nullptr);
    EXPECT_NE(dynamic_cast<TEliminaComando*>(TCmdParams({"-eLiMiNa", "DatabaseName=a", "ChiamataId=1"}).GetComando().get()), nullptr);
    EXPECT_EQ(TCmdParams({"-Cre", "DatabaseName=a", "ChiamataId=1"}).GetComando(), nullptr);
}

TEST(CmdParamsTest, ValuesKeepEverythingAfterTheFirstEquals)
{
    TCmdParams params({"ChiamataId=7", "DatabaseName=a=b c", "-Crea", "Foo"});
    params.Validate();
    const auto comando = params.GetComando();
    EXPECT_EQ(comando->DatabaseName(), "a=b c");
    EXPECT_EQ(comando->ChiamataId(), 7);
    EXPECT_EQ(params.Params().size(), 2u);  // "Foo" is ignored
}

TEST(CmdParamsTest, ANonNumericIdPassesValidationAndBecomesZero)
{
    TCmdParams params({"-Crea", "DatabaseName=x", "ChiamataId=abc"});
    EXPECT_NO_THROW(params.Validate());
    EXPECT_EQ(params.GetComando()->ChiamataId(), 0);
    EXPECT_EQ(TCmdParams({"-Crea", "DatabaseName=x", "ChiamataId=$10"}).GetComando()->ChiamataId(), 16);
}

TEST(CmdParamsTest, ARepeatedKeyFailsWhileReading)
{
    EXPECT_THROW(TCmdParams({"-Crea", "DatabaseName=x", "DATABASENAME=y", "ChiamataId=1"}), TDuplicateParameter);
}

TEST(CmdParamsTest, VerificaNeedsTheDatabaseButNoCallRow)
{
    TCmdParams params({"-verifica", "databasename=x"});
    EXPECT_NO_THROW(params.Validate());
    const auto comando = params.GetComando();
    ASSERT_NE(dynamic_cast<TVerificaComando*>(comando.get()), nullptr);
    EXPECT_EQ(comando->DatabaseName(), "x");
    try {
        TCmdParams({"-Verifica", "ChiamataId=1"}).Validate();
        ADD_FAILURE() << "no error without DatabaseName";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Parametro CMD DatabaseName non rilevato");
    }
    // Every other command still needs its call row.
    try {
        TCmdParams({"-Elimina", "DatabaseName=x"}).Validate();
        ADD_FAILURE() << "no error without ChiamataId";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Parametro CMD ChiamataId non rilevato");
    }
}

}  // namespace
}  // namespace qorita
