// A run that dies, or cannot save, after the courier registered the parcels:
// the next run records the answer and never registers a parcel twice. The real
// program on an embedded database (whose generator forgets the draws of a
// killed process), the test build with failpoints for the moments a test
// cannot hit from outside, and the sandbox courier, which knows parcels by
// their counters.
#include "CallFixture.h"
#include "CourierLedger.h"
#include "SandboxCourier.h"
#include "app/Journal.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

namespace qorita::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kLate = "Risposta registrata in ritardo: la chiamata che l'aveva ricevuta non ha potuto salvarla";

class RecoveryTest : public CourierCallFixture {
protected:
    TRunResult RunKilledAt(const std::string& AFailpoint, const std::string& ACommand, std::int32_t ACall)
    {
        return RunQorita(Arguments(ACommand, ACall), {"QORITA_FAILPOINT=" + AFailpoint}, QORITA_FAILPOINTS_BINARY);
    }

    // Killed once the courier has registered the request and before its
    // answer arrives.
    void RunKilledWhileTheAnswerIsOnItsWay(std::int32_t ACall)
    {
        const std::size_t before = Courier.RegistrationsPerCounter().size();
        Courier.QueueAnswer({.Body = "", .Delay = 60s, .Method = "POST", .DefaultAnswers = true});
        TRunningQorita run(Arguments("Crea", ACall), {});
        ASSERT_TRUE(Courier.WaitForRegisteredCounters(before + 1, 10s));
        run.Kill();
        EXPECT_EQ(run.Wait().ExitCode, 128 + SIGKILL);
        Courier.ClearAnswers();
    }

    std::size_t Posts(const std::string& AOperation = "AddParcel") const
    {
        std::size_t count = 0;
        for (const auto& request : Courier.Requests()) {
            count += request.Method == "POST" && request.Body.find("<" + AOperation) != std::string::npos;
        }
        return count;
    }

    // Counters drawn meanwhile by other runs.
    void DrawCounters(int ACount)
    {
        Db.Scalar("SELECT GEN_ID(QORITA_RIGHE_CONTATOREPROG, " + std::to_string(ACount) + ") FROM RDB$DATABASE");
    }

    std::vector<TJournalEntry> Journal(std::int32_t ATestata) const
    {
        std::vector<std::string> damaged;
        auto entries = TJournal(ExchangeDir, ATestata).Read(damaged);
        EXPECT_TRUE(damaged.empty());
        return entries;
    }

    std::vector<std::string> Counters(std::int32_t ATestata)
    {
        std::vector<std::string> counters;
        for (const TRow& row : Parcels(ATestata)) counters.push_back(row.at("CONTATOREPROGRESSIVO").value_or(""));
        return counters;
    }

    void ExpectLedgerClean()
    {
        const TLedger ledger = CompareWithCourier(Db, Courier);
        EXPECT_TRUE(ledger.Clean()) << ledger.Report();
        EXPECT_EQ(ledger.SentParcels, ledger.Registrations) << ledger.Report();
    }

    void ExpectOutcome(std::int32_t ACall, const std::string& ACodice, const std::string& AMessaggio)
    {
        EXPECT_EQ(CallRow(ACall).at("ESITO_CODICE"), ACodice);
        EXPECT_EQ(CallRow(ACall).at("ESITO_MESSAGGIO"), AMessaggio);
    }
};

// A folder nothing can be created in while the flag is set, cleared again at
// the end so that the test's folder can be removed.
class TImmutableFolder {
public:
    explicit TImmutableFolder(const std::filesystem::path& APath) : FPath(APath) {}
    ~TImmutableFolder()
    {
        if (FSet) Change(false);
    }
    TImmutableFolder(const TImmutableFolder&) = delete;
    TImmutableFolder& operator=(const TImmutableFolder&) = delete;
    bool Set() const { return FSet = Change(true); }

private:
    bool Change(bool AImmutable) const
    {
        const int handle = ::open(FPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (handle < 0) return false;
        int flags = 0;
        bool done = ::ioctl(handle, FS_IOC_GETFLAGS, &flags) == 0;
        flags = AImmutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ::ioctl(handle, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(handle);
        return done;
    }

    std::filesystem::path FPath;
    mutable bool FSet = false;
};

std::vector<std::string> Entries(const std::vector<TJournalEntry>& AEntries)
{
    std::vector<std::string> counters;
    for (const TJournalEntry& entry : AEntries) {
        for (const TJournalCollo& collo : entry.Colli) counters.push_back(std::to_string(collo.ContatoreProgressivo));
    }
    return counters;
}

// Killed at each moment of a Crea, then run again: each parcel registered once,
// the labels the courier issued in the database, the journal empty.
TEST_F(RecoveryTest, ACreaKilledAtAnyMomentRegistersEachParcelOnce)
{
    struct TCase {
        const char* Moment;
        std::size_t Posts;         // AddParcel requests the courier received in all
        const char* Esito;         // the call's outcome after the second run
        const char* LogMessaggio;  // the one log row
    } const cases[] = {
        {"prima-dell-invio", 1, "OK", "OK"},
        {"dopo-l-invio", 2, "OK", "OK"},  // killed from outside while the answer is on its way
        {"dopo-la-risposta", 1, "OK", kLate},
        {"prima-del-commit", 1, "OK", kLate},
        {"dopo-il-commit", 1, "Spedizione già creata", "OK"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Moment);
        Courier.ClearRequests();
        Db.Exec("DELETE FROM QORITA_LOG");
        const std::int32_t testata = AddShipment({.Parcels = {{.Peso = 1.0}, {.Peso = 2.0}}});
        const std::int32_t call = AddCall(testata);
        if (std::string(c.Moment) == "dopo-l-invio") {
            RunKilledWhileTheAnswerIsOnItsWay(call);
        } else {
            EXPECT_EQ(RunKilledAt(c.Moment, "Crea", call).ExitCode, 128 + SIGKILL);
        }
        const std::vector<TJournalEntry> left = Journal(testata);
        const bool committed = std::string(c.Moment) == "dopo-il-commit";
        if (!committed) {
            // The request's counters are on disk before it goes out.
            ASSERT_EQ(left.size(), 1u);
            EXPECT_EQ(left[0].HasAnswer(),
                      std::string(c.Moment) == "dopo-la-risposta" || std::string(c.Moment) == "prima-del-commit");
        }
        DrawCounters(5);

        const TRunResult again = Run("Crea", call);
        EXPECT_EQ(again.ExitCode, 0) << again.Out;
        EXPECT_EQ(again.Out, "");
        EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), c.Esito);
        EXPECT_EQ(Posts(), c.Posts);
        // Sent again, a request carries the counters of the first one.
        if (!committed) {
            EXPECT_EQ(Counters(testata), Entries(left));
        }
        const auto logs = LogRows();
        ASSERT_EQ(logs.size(), 1u);
        EXPECT_EQ(logs[0].at("ESITO_CODICE"), "0");
        EXPECT_EQ(logs[0].at("ESITO_MESSAGGIO"), c.LogMessaggio);
        for (const TRow& parcel : Parcels(testata)) EXPECT_EQ(parcel.at("INVIO_DATAORA"), logs[0].at("DATAORA"));
        EXPECT_TRUE(std::filesystem::exists(logs[0].at("FILEXML_RESPONSE").value_or("")));
        EXPECT_TRUE(Journal(testata).empty());
        ExpectLedgerClean();
    }
}

// The embedded engine forgets the counter draws of a killed process. Those
// counters reached the courier: another shipment must never get them.
TEST_F(RecoveryTest, ACounterDrawnByAKilledRunIsNeverHandedOutAgain)
{
    // Two shipments the courier cannot tell apart but by their counters.
    const std::int32_t first = AddShipment({.Parcels = {{}, {}}});
    const std::int32_t second = AddShipment({.Parcels = {{}, {}}});
    const std::int32_t firstCall = AddCall(first);
    EXPECT_EQ(RunKilledAt("dopo-la-risposta", "Crea", firstCall).ExitCode, 128 + SIGKILL);
    // The embedded engine has forgotten the draws; a server keeps them, so
    // there the generator is put back as the embedded engine leaves it.
    if (Db.Scalar("SELECT GEN_ID(QORITA_RIGHE_CONTATOREPROG, 0) FROM RDB$DATABASE") != "0") {
        Db.Exec("ALTER SEQUENCE QORITA_RIGHE_CONTATOREPROG RESTART WITH 0");
    }

    const std::int32_t secondCall = AddCall(second);
    EXPECT_EQ(Run("Crea", secondCall).ExitCode, 0);
    ExpectOutcome(secondCall, "0", "OK");
    EXPECT_EQ(Run("Crea", firstCall).ExitCode, 0);
    ExpectOutcome(firstCall, "0", "OK");
    EXPECT_EQ(Courier.Shipments().size(), 2u);
    ExpectLedgerClean();
}

// A request whose answer never came may have been registered: the next Crea
// sends the same counters, and the courier answers with that registration.
// A parcel the courier refused gets a new counter.
TEST_F(RecoveryTest, ARequestLeftWithoutAnswerGoesOutAgainWithTheSameCounters)
{
    Db.SetParameter("QORITA_ServiceTimeout", "2");
    const std::int32_t testata = AddShipment({.Parcels = {{.Peso = 1.0}, {.Peso = 0.0}, {.Peso = 2.0}}});
    const std::int32_t call = AddCall(testata);
    // Registered by the courier, the connection then lost; then registered
    // again by nobody, the answer past the time limit.
    Courier.QueueAnswer({.Body = "", .DropConnection = true, .Method = "POST", .DefaultAnswers = true});
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    const std::string lost = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(lost.rfind("Errore durante la connessione al server QOR\r\n", 0), 0u) << lost;
    const std::vector<TJournalEntry> left = Journal(testata);
    ASSERT_EQ(left.size(), 1u);
    DrawCounters(5);
    Courier.QueueAnswer({.Body = "", .Delay = 4s, .Method = "POST", .DefaultAnswers = true});
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    const std::string late = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_NE(late.find("QORITA_ServiceTimeout"), std::string::npos) << late;
    EXPECT_EQ(Journal(testata).size(), 1u);
    EXPECT_EQ(Entries(Journal(testata)), Entries(left));

    DrawCounters(5);
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    // The refusal of the middle parcel is this run's outcome.
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "-1");
    EXPECT_NE(CallRow(call).at("ESITO_MESSAGGIO").value_or("").find("peso non valido"), std::string::npos);
    EXPECT_EQ(Posts(), 3u);
    const auto counters = Counters(testata);
    EXPECT_EQ(counters[0], Entries(left)[0]);
    EXPECT_EQ(counters[2], Entries(left)[2]);
    EXPECT_TRUE(Journal(testata).empty());
    ExpectLedgerClean();

    // Sent again once corrected, the refused parcel carries a new counter.
    Db.Exec("UPDATE QORITA_RIGHE SET PESOREALE=3 WHERE TESTATA=" + std::to_string(testata) + " AND NCOLLO=2");
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    ExpectOutcome(call, "0", "OK");
    const auto resent = Counters(testata);
    EXPECT_NE(resent[1], Entries(left)[1]);
    EXPECT_GT(std::stoi(resent[1]), std::stoi(Entries(left)[2]));
    ExpectLedgerClean();
}

// A save failure after an accepted answer: the next run of any command records
// the answer first, sends no AddParcel for those parcels, then does its work.
TEST_F(RecoveryTest, AfterASaveFailureEveryCommandRecordsTheAnswerFirst)
{
    struct TCase {
        const char* Comando;
        const char* Esito;
        std::size_t Confirmations;
        std::size_t Deletions;
        const char* Status;
    } const cases[] = {
        {"Crea", "OK", 0, 0, "VALIDA"},
        {"CreaConferma", "OK", 1, 0, "VALIDA"},
        {"Conferma", "OK", 1, 0, "VALIDA"},
        {"Elimina", "OK", 0, 1, "ELIMINATA"},
    };
    std::vector<std::pair<std::int32_t, std::int32_t>> shipments;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::int32_t testata = AddShipment({.Parcels = {{}, {}}});
        shipments.emplace_back(testata, AddCall(testata));
    }
    Db.Exec("ALTER TABLE QORITA_RIGHE DROP ETICHETTA");
    Db.Exec("ALTER TABLE QORITA_RIGHE ADD ETICHETTA VARCHAR(10)");  // a label will not fit
    for (const auto& [testata, call] : shipments) {
        EXPECT_EQ(Run("Crea", call).ExitCode, 0);
        EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO").value_or("").rfind("Fallito aggiornamento QORITA_RIGHE:\r\n", 0),
                  0u);
        EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);
    }
    Db.Exec("ALTER TABLE QORITA_RIGHE ALTER ETICHETTA TYPE VARCHAR(8000)");
    EXPECT_EQ(Posts(), std::size(cases));

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const TCase& c = cases[i];
        SCOPED_TRACE(c.Comando);
        const auto [testata, call] = shipments[i];
        const std::size_t confirmations = Posts("CloseWorkDayByShipmentNumber");
        const std::size_t deletions = Posts("DeleteSped");
        const TRunResult result = Run(c.Comando, AddCall(testata));
        EXPECT_EQ(result.ExitCode, 0) << result.Out;
        const auto calls = Db.Query("SELECT ESITO_MESSAGGIO FROM QORITA_CHIAMATE ORDER BY ID DESC");
        EXPECT_EQ(calls.at(0).at("ESITO_MESSAGGIO"), c.Esito);
        EXPECT_EQ(Posts(), std::size(cases));  // no AddParcel sent again
        EXPECT_EQ(Posts("CloseWorkDayByShipmentNumber") - confirmations, c.Confirmations);
        EXPECT_EQ(Posts("DeleteSped") - deletions, c.Deletions);
        EXPECT_NE(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);
        EXPECT_EQ(Header(testata).at("STATUS"), c.Status);
        EXPECT_EQ(Header(testata).at("CONFERMA_DATAORA").has_value(), c.Confirmations == 1);
        // Two rows for the one AddParcel exchange, naming the same files: the
        // run that could not save it and the run that recorded it.
        const auto logs = Db.Query("SELECT * FROM QORITA_LOG WHERE TESTATA=" + std::to_string(testata) +
                                   " AND OPERAZIONE='AddParcel' ORDER BY ID");
        ASSERT_EQ(logs.size(), 2u);
        EXPECT_EQ(logs[0].at("ESITO_MESSAGGIO"), "OK");
        EXPECT_EQ(logs[1].at("ESITO_CODICE"), "0");
        EXPECT_EQ(logs[1].at("ESITO_MESSAGGIO"), kLate);
        EXPECT_EQ(logs[1].at("DATAORA"), logs[0].at("DATAORA"));
        EXPECT_EQ(logs[1].at("FILEXML_REQUEST"), logs[0].at("FILEXML_REQUEST"));
        EXPECT_EQ(logs[1].at("FILEXML_RESPONSE"), logs[0].at("FILEXML_RESPONSE"));
        EXPECT_TRUE(Journal(testata).empty());
    }
    ExpectLedgerClean();
}

// Where the journal cannot be written (here a folder made immutable, which
// even root cannot write into) the run goes on as without it, and says so once.
TEST_F(RecoveryTest, AJournalThatCannotBeWrittenDoesNotStopTheRun)
{
    const std::filesystem::path root = TJournal::Root(ExchangeDir);
    std::filesystem::create_directories(root);
    std::filesystem::permissions(root, std::filesystem::perms::owner_all);
    const TImmutableFolder immutable(root);
    if (!immutable.Set()) GTEST_SKIP() << "this file system has no immutable folders";
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    const TRunResult result = Run("Crea", call);
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out.rfind("(Errore non bloccante) Fallita scrittura del giornale degli scambi:\r\n", 0), 0u)
        << result.Out;
    EXPECT_NE(result.Out.find(ExchangeDir + "/.journal/"), std::string::npos) << result.Out;
    EXPECT_EQ(result.Out.find("(Errore non bloccante)", 1), std::string::npos) << result.Out;
    ExpectOutcome(call, "0", "OK");
    ExpectLedgerClean();
}

}  // namespace
}  // namespace qorita::test
