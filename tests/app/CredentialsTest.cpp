// The database account: the built-in pair unless ISC_USER / ISC_PASSWORD say
// otherwise. Through the Firebird server, where passwords are checked, with
// users of their own; the credentials never show up in what the program prints
// or archives.
#include "CallFixture.h"
#include "SandboxCourier.h"
#include "TestDatabaseUser.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace qorita::test {
namespace {

// The program's built-in password, which the tests' server does not take for
// SYSDBA: a user of the tests' own has it, to show that it is the one sent.
const std::string BuiltInPassword = "quillbark";

enum class TUser { Unset, Empty, OwnWithGrants, OwnWithoutGrants, OwnWithTheBuiltInPassword };
enum class TPassword { Unset, Empty, Right, Wrong, Sysdba };

struct CredentialsCase {
    std::string Name;
    TUser User;
    TPassword Password;
    int ExitCode;
    // The outcome in the call row for exit code 0, a piece of the printed
    // reason for exit code 1.
    std::string Expected;
};

void PrintTo(const CredentialsCase& ACase, std::ostream* AOut) { *AOut << ACase.Name; }

class CredentialsTest : public CourierCallFixture, public ::testing::WithParamInterface<CredentialsCase> {
protected:
    CredentialsTest() : CourierCallFixture(true), Granted(Db), NotGranted(Db), BuiltIn(Db, BuiltInPassword)
    {
        Granted.GrantRun();
        BuiltIn.GrantRun();
    }

    std::vector<std::string> Environment(const CredentialsCase& ACase) const
    {
        const TTestDatabaseUser& user = ACase.User == TUser::OwnWithoutGrants            ? NotGranted
                                        : ACase.User == TUser::OwnWithTheBuiltInPassword ? BuiltIn
                                                                                         : Granted;
        std::vector<std::string> environment;
        if (ACase.User == TUser::Empty) environment.push_back("ISC_USER=");
        if (ACase.User == TUser::OwnWithGrants || ACase.User == TUser::OwnWithoutGrants ||
            ACase.User == TUser::OwnWithTheBuiltInPassword) {
            environment.push_back("ISC_USER=" + user.Name());
        }
        if (ACase.Password == TPassword::Empty) environment.push_back("ISC_PASSWORD=");
        if (ACase.Password == TPassword::Right) environment.push_back("ISC_PASSWORD=" + user.Password());
        if (ACase.Password == TPassword::Wrong) environment.push_back("ISC_PASSWORD=" + WrongPassword);
        if (ACase.Password == TPassword::Sysdba) environment.push_back("ISC_PASSWORD=" + TTestDatabase::Password());
        // Whatever the test process itself was started with does not count.
        if (ACase.User == TUser::Unset) environment.push_back("ISC_USER=");
        if (ACase.Password == TPassword::Unset) environment.push_back("ISC_PASSWORD=");
        return environment;
    }

    std::string ArchivedText() const
    {
        std::string text;
        for (const auto& entry : std::filesystem::directory_iterator(ExchangeDir)) {
            std::ifstream file(entry.path(), std::ios::binary);
            std::stringstream content;
            content << file.rdbuf();
            text += content.str();
        }
        return text;
    }

    const std::string WrongPassword = "NotThePw9";
    TTestDatabaseUser Granted;
    TTestDatabaseUser NotGranted;
    TTestDatabaseUser BuiltIn;
};

class CredentialsLabelsTest : public CredentialsTest {};

TEST_P(CredentialsTest, TheRunConnectsWithTheAccountTheEnvironmentNames)
{
    const CredentialsCase& c = GetParam();
    if (c.User == TUser::OwnWithoutGrants && !NotGranted.HeldToItsGrants()) {
        GTEST_SKIP() << "the test server runs every attachment as SYSDBA (FIREBIRD_BOOT_BUILD): grants are not "
                        "enforced there";
    }
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    const TRunResult result = RunQorita(Arguments("CreaConferma", call), Environment(c));

    EXPECT_EQ(result.ExitCode, c.ExitCode) << result.Out;
    if (c.ExitCode == 0) {
        EXPECT_EQ(result.Out, "");
        EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), c.Expected);
        EXPECT_NE(Header(testata).at("CONFERMA_DATAORA"), std::nullopt);
        EXPECT_EQ(LogRows().size(), 2u);
    } else {
        EXPECT_NE(result.Out.find(c.Expected), std::string::npos) << result.Out;
        EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), std::nullopt);
        EXPECT_TRUE(Courier.Shipments().empty());
    }

    std::string recorded = ArchivedText();
    for (const TRow& row : LogRows()) recorded += row.at("ESITO_MESSAGGIO").value_or("");
    recorded += CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    for (const std::string& secret : {Granted.Password(), NotGranted.Password(), WrongPassword}) {
        EXPECT_EQ(result.Out.find(secret), std::string::npos) << result.Out;
        EXPECT_EQ(result.Err.find(secret), std::string::npos) << result.Err;
        EXPECT_EQ(recorded.find(secret), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CredentialsTest,
    ::testing::Values(
        CredentialsCase{"BuiltInPasswordForTheNamedUser", TUser::OwnWithTheBuiltInPassword, TPassword::Unset, 0, "OK"},
        CredentialsCase{"EmptyPasswordVariableKeepsTheBuiltInOne", TUser::OwnWithTheBuiltInPassword, TPassword::Empty,
                        0, "OK"},
        CredentialsCase{"BuiltInUserIsSysdba", TUser::Unset, TPassword::Sysdba, 0, "OK"},
        CredentialsCase{"EmptyUserVariableKeepsSysdba", TUser::Empty, TPassword::Sysdba, 0, "OK"},
        // The tests' server takes another password for SYSDBA than
        // the built-in one: no test passes on the default by accident.
        CredentialsCase{"BuiltInPairIsNotTheTestServersOne", TUser::Unset, TPassword::Unset, 1,
                        "Impossibile stabilire la connessione al DB"},
        CredentialsCase{"OwnUserWithGrants", TUser::OwnWithGrants, TPassword::Right, 0, "OK"},
        CredentialsCase{"OwnUserWrongPassword", TUser::OwnWithGrants, TPassword::Wrong, 1,
                        "Impossibile stabilire la connessione al DB"},
        CredentialsCase{"PasswordAloneReplacesTheBuiltInOne", TUser::Unset, TPassword::Wrong, 1,
                        "Impossibile stabilire la connessione al DB"},
        // Connected, so the run is that user's: the call row is out of its reach.
        CredentialsCase{"OwnUserWithoutGrants", TUser::OwnWithoutGrants, TPassword::Right, 1, "no permission for"}),
    [](const ::testing::TestParamInfo<CredentialsCase>& AInfo) { return AInfo.param.Name; });

// The labels tool connects as the program does: the stored labels come out
// under the account the environment names, and a wrong password of that
// account is refused, as it is for a run.
TEST_F(CredentialsLabelsTest, TheLabelsToolConnectsWithTheProgramsAccount)
{
    const std::int32_t testata = AddShipment(TShipmentRow{.Parcels = {TParcelRow{}, TParcelRow{}}});
    ASSERT_EQ(Run("Crea", AddCall(testata)).ExitCode, 0);
    const std::string folder = (std::filesystem::path(ExchangeDir).parent_path() / "labels").string();
    const std::vector<std::string> arguments{Db.Location(), std::to_string(testata), folder};
    const std::string user = "ISC_USER=" + Granted.Name();

    const TRunResult refused = RunQorita(arguments, {user, "ISC_PASSWORD=" + WrongPassword}, QORITA_LABELS_BINARY);
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(folder));

    const TRunResult written = RunQorita(arguments, {user, "ISC_PASSWORD=" + Granted.Password()}, QORITA_LABELS_BINARY);
    EXPECT_EQ(written.ExitCode, 0) << written.Err;
    const std::string prefix = std::to_string(testata) + "-";
    for (const char* parcel : {"1", "2"}) {
        const std::filesystem::path label = std::filesystem::path(folder) / (prefix + parcel + ".zpl");
        EXPECT_NE(written.Out.find(label.string()), std::string::npos) << written.Out;
        EXPECT_GT(std::filesystem::file_size(label), 0u);
    }
    for (const std::string& secret : {Granted.Password(), WrongPassword}) {
        EXPECT_EQ(refused.Err.find(secret), std::string::npos) << refused.Err;
    }
}

}  // namespace
}  // namespace qorita::test
