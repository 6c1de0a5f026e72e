#include "RunProgram.h"
#include "TestDatabase.h"
#include "app/Usage.h"

#include <gtest/gtest.h>

namespace qorita::test {
namespace {

struct CommandLineCase {
    std::vector<std::string> Arguments;
    std::string Out;
};

void PrintTo(const CommandLineCase& ACase, std::ostream* AOut)
{
    for (const std::string& argument : ACase.Arguments) *AOut << "[" << argument << "]";
}

class MalformedCommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

// Each is refused before any database work: the database named does not exist,
// so reaching it would print a connection error instead.
TEST_P(MalformedCommandLineTest, PrintsTheFirstFailingCheckAndExitsWithOne)
{
    const TRunResult result = RunQorita(GetParam().Arguments);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, GetParam().Out);
    EXPECT_EQ(result.Err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedCommandLineTest,
    ::testing::Values(
        CommandLineCase{{}, "Nessun comando CMD rilevato\r\n"},
        CommandLineCase{{"DatabaseName=x", "ChiamataId=1"}, "Nessun comando CMD rilevato\r\n"},
        CommandLineCase{{"-Crea", "-Crea", "DatabaseName=x", "ChiamataId=1"}, "Rilevati più di 1 comando CMD\r\n"},
        CommandLineCase{{"-Crea", "Foo"}, "Nessun parametro CMD rilevato\r\n"},
        CommandLineCase{{"-Crea", "=x"}, "Parametro CMD DatabaseName non rilevato\r\n"},
        CommandLineCase{{"-Crea", "ChiamataId=7"}, "Parametro CMD DatabaseName non rilevato\r\n"},
        CommandLineCase{{"-Crea", "DatabaseName=", "ChiamataId=7"}, "Parametro CMD DatabaseName \"\" non valido\r\n"},
        CommandLineCase{{"-Crea", "DatabaseName=x"}, "Parametro CMD ChiamataId non rilevato\r\n"},
        CommandLineCase{{"-Crea", "DatabaseName=x", "chiamataid="}, "Parametro CMD ChiamataId \"\" non valido\r\n"},
        CommandLineCase{{"-Verifica", "ChiamataId=7"}, "Parametro CMD DatabaseName non rilevato\r\n"},
        // A command none of the five is refused before any connection.
        CommandLineCase{{"-Stampa", "DatabaseName=/no/such.fdb", "ChiamataId=1"},
                        "Comando CMD \"Stampa\" non riconosciuto: usare -Crea, -Conferma, -CreaConferma, -Elimina o "
                        "-Verifica\r\n"},
        CommandLineCase{{"-", "DatabaseName=/no/such.fdb", "ChiamataId=1"},
                        "Comando CMD \"\" non riconosciuto: usare -Crea, -Conferma, -CreaConferma, -Elimina o "
                        "-Verifica\r\n"},
        CommandLineCase{{"-DatabaseName=x", "DatabaseName=/no/such.fdb", "ChiamataId=1"},
                        "Comando CMD \"DatabaseName=x\" non riconosciuto: usare -Crea, -Conferma, -CreaConferma, "
                        "-Elimina o -Verifica\r\n"},
        CommandLineCase{{"-Creare", "DatabaseName=/no/such.fdb", "ChiamataId=1"},
                        "Comando CMD \"Creare\" non riconosciuto: usare -Crea, -Conferma, -CreaConferma, -Elimina o "
                        "-Verifica\r\n"}));

struct InfoCase {
    std::vector<std::string> Arguments;
    bool Usage;  // else the version
};

void PrintTo(const InfoCase& ACase, std::ostream* AOut)
{
    for (const std::string& argument : ACase.Arguments) *AOut << "[" << argument << "]";
}

std::string WithCrLf(const std::string& AText)
{
    std::string result;
    for (char c : AText) result += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return result + "\r\n";
}

class InfoTest : public ::testing::TestWithParam<InfoCase> {};

// Answered before the command line is read as a call: the database named does
// not exist and a repeated key would otherwise be refused.
TEST_P(InfoTest, PrintsTheUsageOrTheVersionAndExitsWithZero)
{
    const TRunResult result = RunQorita(GetParam().Arguments);
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(result.Out, GetParam().Usage ? WithCrLf(UsageText()) : "qorita " QORITA_PROJECT_VERSION "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, InfoTest,
                         ::testing::Values(InfoCase{{"--help"}, true}, InfoCase{{"-h"}, true},
                                           InfoCase{{"--Help"}, true}, InfoCase{{"--version"}, false},
                                           InfoCase{{"-Crea", "DatabaseName=/no/such.fdb", "ChiamataId=1", "--help"},
                                                    true},
                                           InfoCase{{"DatabaseName=x", "databasename=y", "--version"}, false},
                                           InfoCase{{"--version", "-h"}, false}, InfoCase{{"-h", "--version"}, true}));

TEST(CommandLineTest, TheUsageNamesEveryCommandParameterExitCodeVariableAndTabxParameter)
{
    const std::string usage = RunQorita({"--help"}).Out;
    for (const char* item : {"-Crea ",
                             "-Conferma ",
                             "-CreaConferma ",
                             "-Elimina ",
                             "-Verifica ",
                             "DatabaseName=<database>",
                             "ChiamataId=<id>",
                             "\r\n  0  ",
                             "\r\n  1  ",
                             "ISC_USER ",
                             "ISC_PASSWORD ",
                             "QORITA_SedeQor ",
                             "QORITA_CodiceClienteQor ",
                             "QORITA_PasswordClienteQor ",
                             "QORITA_CodiceContrattoQor ",
                             "QORITA_RequestResponseDir ",
                             "QORITA_TipoEtichetta ",
                             "QORITA_ServiceUrl ",
                             "QORITA_ServiceCaFile ",
                             "QORITA_ServiceTimeout ",
                             "QORITA_RunTimeout "}) {
        EXPECT_NE(usage.find(item), std::string::npos) << item;
    }
    // The built-in database password is not for display.
    EXPECT_EQ(usage.find(TTestDatabase::Password()), std::string::npos);
}

TEST(CommandLineTest, ARepeatedKeyIsReportedOnStandardErrorBeforeValidation)
{
    const TRunResult result = RunQorita({"DatabaseName=x", "databasename=y", "-Crea", "-Crea"});
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "Duplicates not allowed\r\n");
}

TEST(CommandLineTest, AnUnreachableDatabaseGivesTheConnectionMessageOnTwoLines)
{
    const TRunResult result = RunQorita({"-crea", "databasename=/no/such/folder/db.fdb", "CHIAMATAID=5", "Extra=1"});
    EXPECT_EQ(result.ExitCode, 1);
    const std::string first = "Impossibile stabilire la connessione al DB /no/such/folder/db.fdb\r\n";
    ASSERT_GE(result.Out.size(), first.size());
    EXPECT_EQ(result.Out.substr(0, first.size()), first);
    EXPECT_NE(result.Out.find("/no/such/folder/db.fdb", first.size()), std::string::npos) << result.Out;
    EXPECT_EQ(result.Out.substr(result.Out.size() - 2), "\r\n");
}

}  // namespace
}  // namespace qorita::test
