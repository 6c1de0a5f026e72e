// The journal in a shared archive folder, damaged, or tampered with: a run
// takes only answers its own database's runs received, sends no AddParcel while
// the journal may hold an answer it cannot read, and never writes or reads
// through a link planted in the folder. The real program on a real database,
// the sandbox courier, the test build with failpoints for a run that dies.
#include "CallFixture.h"
#include "CourierLedger.h"
#include "SandboxCourier.h"
#include "app/ChiamataHandler.h"
#include "app/Journal.h"
#include "common/DateTime.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace qorita::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* kRifiutato =
    "Giornale degli scambi illeggibile: nessun AddParcel viene inviato per questa spedizione finché il file non "
    "viene riparato o rimosso\r\n";
constexpr const char* kLate = "Risposta registrata in ritardo: la chiamata che l'aveva ricevuta non ha potuto salvarla";

std::string ReadText(const fs::path& APath)
{
    std::ifstream in(APath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& APath, const std::string& AText) { std::ofstream(APath, std::ios::binary) << AText; }

class JournalGuardTest : public CallFixture {
protected:
    void SetUp() override
    {
        Courier.Start();
        SetParameters(Courier.WsdlUrl(), Courier.CaFile().string());
    }

    // Killed once the courier has registered the request and before its
    // answer arrives: the entry is left without answer.
    void RunKilledWhileTheAnswerIsOnItsWay(std::int32_t ACall)
    {
        const std::size_t before = Courier.RegistrationsPerCounter().size();
        Courier.QueueAnswer({.Body = "", .Delay = 60s, .Method = "POST", .DefaultAnswers = true});
        TRunningQorita run(Arguments("Crea", ACall), {});
        for (int i = 0; i < 2000 && Courier.RegistrationsPerCounter().size() == before; ++i) {
            std::this_thread::sleep_for(5ms);
        }
        ASSERT_GT(Courier.RegistrationsPerCounter().size(), before);
        run.Kill();
        EXPECT_EQ(run.Wait().ExitCode, 128 + SIGKILL);
        Courier.ClearAnswers();
    }

    std::size_t AddParcelPosts() const
    {
        std::size_t count = 0;
        for (const auto& request : Courier.Requests()) {
            count += request.Method == "POST" && request.Body.find("<AddParcel") != std::string::npos;
        }
        return count;
    }

    fs::path JournalRoot() const { return TJournal::Root(ExchangeDir); }

    // The one entry file of the header.
    fs::path EntryOf(std::int32_t ATestata) const
    {
        const fs::path folder = TJournal(ExchangeDir, ATestata).Folder();
        std::vector<fs::path> files;
        for (const auto& item : fs::directory_iterator(folder)) files.push_back(item.path());
        EXPECT_EQ(files.size(), 1u);
        return files.empty() ? fs::path() : files.front();
    }

    void ExpectRefused(std::int32_t ACall, const std::string& AFile)
    {
        const TRow call = CallRow(ACall);
        EXPECT_EQ(call.at("ESITO_CODICE"), "-1");
        const std::string message = call.at("ESITO_MESSAGGIO").value_or("");
        EXPECT_EQ(message.rfind(kRifiutato, 0), 0u) << message;
        EXPECT_NE(message.find(AFile), std::string::npos) << message;
    }

    void ExpectLedgerClean()
    {
        const TLedger ledger = CompareWithCourier(Db, Courier);
        EXPECT_TRUE(ledger.Clean()) << ledger.Report();
        EXPECT_EQ(ledger.SentParcels, ledger.Registrations) << ledger.Report();
    }

    sandbox::TSandboxCourier Courier;
};

// A file copy of the database (a test system made from production) on the
// same archive folder, with the same header and call IDs: the answer that the
// original's run received but could not record stays the original's.
TEST_F(JournalGuardTest, ACopyOfTheDatabaseNeverTakesTheOriginalsAnswer)
{
    const fs::path original = Db.Folder() / "test.fdb";
    if (Db.Location() != original.string()) GTEST_SKIP() << "the copy is made of the database file";
    const std::int32_t testata = AddShipment({.Parcels = {{}, {}}});
    const std::int32_t call = AddCall(testata);
    TTestDatabase copy(false);
    fs::copy_file(original, copy.Folder() / "test.fdb", fs::copy_options::overwrite_existing);

    EXPECT_EQ(
        RunQorita(Arguments("Crea", call), {"QORITA_FAILPOINT=dopo-la-risposta"}, QORITA_FAILPOINTS_BINARY).ExitCode,
        128 + SIGKILL);
    ASSERT_EQ(AddParcelPosts(), 1u);
    const fs::path entry = EntryOf(testata);

    // The copy registers its own parcels and leaves the entry alone.
    const TRunResult onCopy =
        RunQorita({"-Crea", "DatabaseName=" + copy.Location(), "ChiamataId=" + std::to_string(call)});
    EXPECT_EQ(onCopy.ExitCode, 0) << onCopy.Out;
    EXPECT_EQ(onCopy.Out, "");
    const auto copyCall = copy.Query("SELECT * FROM QORITA_CHIAMATE WHERE ID=" + std::to_string(call));
    EXPECT_EQ(copyCall.at(0).at("ESITO_MESSAGGIO"), "OK");
    EXPECT_EQ(AddParcelPosts(), 2u);
    EXPECT_TRUE(fs::exists(entry));

    // The original records the answer it received, and sends nothing.
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), "OK");
    EXPECT_EQ(AddParcelPosts(), 2u);
    EXPECT_EQ(LogRows().at(0).at("ESITO_MESSAGGIO"), kLate);
    EXPECT_FALSE(fs::exists(entry));

    const auto copyHeader =
        copy.Query("SELECT NUMEROSPEDIZIONE FROM QORITA_TESTATE WHERE ID=" + std::to_string(testata));
    EXPECT_NE(copyHeader.at(0).at("NUMEROSPEDIZIONE"), Header(testata).at("NUMEROSPEDIZIONE"));
    EXPECT_EQ(Courier.Shipments().size(), 2u);
    for (const auto& [counter, registrations] : Courier.RegistrationsPerCounter()) {
        EXPECT_EQ(registrations, 1) << counter;
    }
}

// While anything of the shipment's journal cannot be read, the courier may
// hold a registration the journal would show: no AddParcel goes out until
// the file is repaired or removed, and then the parcels are registered once.
TEST_F(JournalGuardTest, WhatCannotBeReadHoldsBackAddParcelUntilRepaired)
{
    // A shipment confirmed through the damage: Conferma is not held back.
    const std::int32_t registered = AddShipment();
    EXPECT_EQ(Run("Crea", AddCall(registered)).ExitCode, 0);

    struct TCase {
        const char* Name;
        // Damages the journal of the header and returns the file the message
        // names and how to repair it.
        std::function<std::pair<fs::path, std::function<void()>>(std::int32_t)> Damage;
    } const cases[] = {
        {"an entry one byte short",
         [&](std::int32_t ATestata) {
             const fs::path entry = EntryOf(ATestata);
             const std::string text = ReadText(entry);
             WriteText(entry, text.substr(0, text.size() - 1));
             return std::make_pair(entry, std::function<void()>([=] { WriteText(entry, text); }));
         }},
        {"an entry of an unknown format",
         [&](std::int32_t ATestata) {
             const fs::path entry = EntryOf(ATestata);
             const std::string text = ReadText(entry);
             WriteText(entry, "QORITA-JOURNAL 9" + text.substr(text.find('\n')));
             return std::make_pair(entry, std::function<void()>([=] { WriteText(entry, text); }));
         }},
        {"a header folder that is not one",
         [&](std::int32_t ATestata) {
             const fs::path folder = TJournal(ExchangeDir, ATestata).Folder();
             fs::rename(folder, folder.string() + ".saved");
             WriteText(folder, "x");
             return std::make_pair(folder, std::function<void()>([=] {
                                       fs::remove(folder);
                                       fs::rename(folder.string() + ".saved", folder);
                                   }));
         }},
        {"a damaged counter mark",
         [&](std::int32_t) {
             const fs::path mark = JournalRoot() / "ContatoreProgressivo";
             const std::string text = ReadText(mark);
             WriteText(mark, "0000x00001\n");
             return std::make_pair(mark, std::function<void()>([=] { WriteText(mark, text); }));
         }},
        {"a journal folder of another account",
         [&](std::int32_t) {
             const fs::path root = JournalRoot();
             EXPECT_EQ(::chown(root.c_str(), 65534, 65534), 0);
             return std::make_pair(
                 root, std::function<void()>([=] { EXPECT_EQ(::chown(root.c_str(), ::geteuid(), ::getegid()), 0); }));
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::int32_t testata = AddShipment({.Parcels = {{}, {}}});
        const std::int32_t call = AddCall(testata);
        RunKilledWhileTheAnswerIsOnItsWay(call);
        const std::size_t posts = AddParcelPosts();
        const auto [file, repair] = c.Damage(testata);

        const TRunResult refused = Run("Crea", call);
        EXPECT_EQ(refused.ExitCode, 0) << refused.Out;
        ExpectRefused(call, file.string());
        EXPECT_EQ(AddParcelPosts(), posts);
        EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);
        // The mark holds back every shipment's AddParcel, and no Conferma.
        if (std::string(c.Name) == "a damaged counter mark") {
            const std::int32_t conferma = AddCall(registered);
            EXPECT_EQ(Run("Conferma", conferma).ExitCode, 0);
            EXPECT_EQ(CallRow(conferma).at("ESITO_MESSAGGIO"), "OK");
        }

        repair();
        EXPECT_EQ(Run("Crea", call).ExitCode, 0);
        EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), "OK");
        EXPECT_NE(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);
    }
    ExpectLedgerClean();
}

// Links planted in the shared archive folder at the names the next exchange
// will use: the archive write fails (a non-blocking loss, as with any archive
// write), the run goes on, and nothing is written through them.
TEST_F(JournalGuardTest, LinksAtTheNextArchiveNamesAreNotWrittenThrough)
{
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    const fs::path victim = Db.Folder() / "victim.txt";
    WriteText(victim, "keep");
    const TDateTime now = Now();
    for (int second = -2; second < 60; ++second) {
        for (const char* kind : {"Request", "Response"}) {
            fs::create_symlink(
                victim, TChiamataHandler::XmlFileName(ExchangeDir, testata, now + second / 86400.0, "AddParcel", kind));
        }
    }
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), "OK");
    EXPECT_EQ(ReadText(victim), "keep");
    const TRow log = LogRows().at(0);
    EXPECT_EQ(log.at("FILEXML_REQUEST"), std::nullopt);
    EXPECT_EQ(log.at("FILEXML_RESPONSE"), std::nullopt);
    ExpectLedgerClean();
}

// Entries the program did not write: a link at the counter mark, an answer
// outside the archive, an answer that does not carry the request's counters.
// None is trusted, nothing is written through the link, and no AddParcel goes
// out until someone has looked.
TEST_F(JournalGuardTest, PlantedEntriesAreNotTrusted)
{
    const auto identity =
        Db.Query("SELECT CAST(MON$CREATION_DATE AS VARCHAR(30)) AS C, MON$DATABASE_NAME AS N FROM MON$DATABASE");
    const std::string database = *identity.at(0).at("C") + " " + *identity.at(0).at("N");
    constexpr double kDataOra = 45642.5;
    const auto forged = [](std::int32_t ACounter) {
        return "<InfoLabel><Parcel><NumeroSpedizione>999</NumeroSpedizione><ContatoreProgressivo>" +
               std::to_string(ACounter) + "</ContatoreProgressivo><Zpl>FORGED</Zpl></Parcel></InfoLabel>";
    };
    const auto plant = [&](std::int32_t ATestata, const fs::path& AAnswer) {
        const fs::path folder = TJournal(ExchangeDir, ATestata).Folder();
        fs::create_directories(folder);
        const fs::path entry = folder / "planted.journal";
        WriteText(entry, "QORITA-JOURNAL 2\nDatabase=" + database +
                             "\nOperazione=AddParcel\nDataOra=45642.5\nOperatore=1\nFileXmlRequest=\nFileXmlResponse=" +
                             AAnswer.string() + "\nCollo=1:1\n");
        return entry;
    };
    struct TCase {
        const char* Name;
        std::function<fs::path(std::int32_t)> Plant;  // returns the file the message names
    } const cases[] = {
        {"an answer outside the archive folder",
         [&](std::int32_t ATestata) {
             WriteText(Db.Folder() / "forged.xml", forged(1));
             return plant(ATestata, Db.Folder() / "forged.xml");
         }},
        {"an answer without the request's counters",
         [&](std::int32_t ATestata) {
             const fs::path answer =
                 TChiamataHandler::XmlFileName(ExchangeDir, ATestata, kDataOra, "AddParcel", "Response");
             WriteText(answer, forged(2));
             return plant(ATestata, answer);
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::int32_t testata = AddShipment();
        const std::int32_t call = AddCall(testata);
        const fs::path entry = c.Plant(testata);
        EXPECT_EQ(Run("Crea", call).ExitCode, 0);
        ExpectRefused(call, entry.string());
        EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);
        EXPECT_EQ(Parcels(testata).at(0).at("ETICHETTA"), std::nullopt);
        EXPECT_TRUE(fs::exists(entry));
    }

    // A link at the counter mark's name.
    fs::remove_all(JournalRoot());
    fs::create_directories(JournalRoot());
    const fs::path elsewhere = Db.Folder() / "elsewhere.txt";
    fs::create_symlink(elsewhere, JournalRoot() / "ContatoreProgressivo");
    const std::int32_t call = AddCall(AddShipment());
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    ExpectRefused(call, (JournalRoot() / "ContatoreProgressivo").string());
    EXPECT_FALSE(fs::exists(elsewhere));
    EXPECT_EQ(AddParcelPosts(), 0u);
}

}  // namespace
}  // namespace qorita::test
