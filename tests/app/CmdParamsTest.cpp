#include "app/CmdParams.h"
#include "common/Exception.h"

#include "ErrorOf.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qorita {
namespace {

// A command line that passes validation, and the command object it gives.
struct TReadCase {
    const char* Name;
    std::vector<std::string> Arguments;
    TTipoComando Tipo;
    std::string DatabaseName;
    std::int32_t ChiamataId;
};

TEST(CmdParamsTest, ValidCommandLinesGiveTheirCommandDatabaseAndCall)
{
    const TReadCase cases[] = {
        {"commands and keys without regard to case",
         {"-crea", "databasename=x", "chiamataid=5"},
         TTipoComando::Crea,
         "x",
         5},
        {"CreaConferma", {"-CREACONFERMA", "DatabaseName=a", "ChiamataId=1"}, TTipoComando::CreaConferma, "a", 1},
        {"Conferma", {"-Conferma", "DatabaseName=a", "ChiamataId=1"}, TTipoComando::Conferma, "a", 1},
        {"Elimina", {"-eLiMiNa", "DatabaseName=a", "ChiamataId=1"}, TTipoComando::Elimina, "a", 1},
        {"values keep everything after the first equals, in any order",
         {"ChiamataId=7", "DatabaseName=a=b c", "-Crea", "Foo"},
         TTipoComando::Crea,
         "a=b c",
         7},
        {"a non-numeric id becomes zero", {"-Crea", "DatabaseName=x", "ChiamataId=abc"}, TTipoComando::Crea, "x", 0},
        {"a hexadecimal id written $10", {"-Crea", "DatabaseName=x", "ChiamataId=$10"}, TTipoComando::Crea, "x", 16},
    };
    for (const TReadCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TCmdParams params(c.Arguments);
        EXPECT_NO_THROW(params.Validate());
        // Arguments that are neither commands nor parameters ("Foo") are ignored.
        EXPECT_EQ(params.Params().size(), 2u);
        const auto comando = params.GetComando();
        ASSERT_TRUE(comando.has_value());
        EXPECT_EQ(comando->Tipo, c.Tipo);
        EXPECT_EQ(comando->DatabaseName, c.DatabaseName);
        EXPECT_EQ(comando->ChiamataId, c.ChiamataId);
    }
}

TEST(CmdParamsTest, AnUnknownCommandGivesNoCommandObject)
{
    EXPECT_FALSE(TCmdParams({"-Cre", "DatabaseName=a", "ChiamataId=1"}).GetComando().has_value());
}

TEST(CmdParamsTest, ARepeatedKeyFailsWhileReading)
{
    EXPECT_EQ(test::ErrorOf([] {
                  TCmdParams({"-Crea", "DatabaseName=x", "DATABASENAME=y", "ChiamataId=1"});
              }),
              "Duplicates not allowed");
}

TEST(CmdParamsTest, VerificaNeedsTheDatabaseButNoCallRow)
{
    TCmdParams params({"-verifica", "databasename=x"});
    EXPECT_NO_THROW(params.Validate());
    const auto comando = params.GetComando();
    ASSERT_TRUE(comando.has_value());
    EXPECT_EQ(comando->Tipo, TTipoComando::Verifica);
    EXPECT_EQ(comando->DatabaseName, "x");
    EXPECT_EQ(test::ErrorOf([] {
                  TCmdParams({"-Verifica", "ChiamataId=1"}).Validate();
              }),
              "Parametro CMD DatabaseName non rilevato");
    // Every other command still needs its call row.
    EXPECT_EQ(test::ErrorOf([] {
                  TCmdParams({"-Elimina", "DatabaseName=x"}).Validate();
              }),
              "Parametro CMD ChiamataId non rilevato");
}

}  // namespace
}  // namespace qorita
