// The journal of exchanges in flight and the counter mark, on a real folder.
#include "TempFolder.h"
#include "app/CounterMark.h"
#include "app/Journal.h"
#include "common/Exception.h"

#include "ErrorOf.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <iterator>

namespace qorita::test {
namespace {

TJournalEntry SentEntry(TDateTime ADataOra)
{
    TJournalEntry entry;
    entry.Operazione = "AddParcel";
    entry.Database = "2026-12-11 08:27:24.9610 /data/ordini.fdb";
    entry.DataOra = ADataOra;
    entry.Operatore = 42;
    entry.FileXmlRequest = "/archivio/00001234_20241216143005_AddParcelRequest.xml";
    entry.Colli = {{1, 1000001}, {3, 1000002}};
    return entry;
}

// Entries read back exactly as written (the stamp to the last bit), oldest
// first, each header in a folder of its own; an entry cut short is reported
// and the others are still read.
TEST(JournalTest, EntriesReadBackExactlyPerHeaderOldestFirst)
{
    const support::TTempFolder archive{"qorita-journal"};
    TJournal journal(archive.Path(), 1234);
    EXPECT_EQ(journal.Folder(), archive.Path() / ".journal" / "00001234");
    std::vector<std::string> damaged;
    EXPECT_TRUE(journal.Read(damaged).empty());

    TJournalEntry later = SentEntry(45642.604224537037);
    journal.Write(later);
    TJournalEntry earlier = SentEntry(45642.5);
    earlier.FileXmlResponse = "/archivio/00001234_20241216120000_AddParcelResponse.xml";
    journal.Write(earlier);
    TJournalEntry otherHeader = SentEntry(1.0);
    TJournal(archive.Path(), 99).Write(otherHeader);
    EXPECT_TRUE(std::filesystem::exists(archive.Path() / ".journal" / "00000099" / otherHeader.Name));
    std::ofstream(journal.Folder() / "cut.journal") << "QORITA-JOURNAL 1\nOperazione=AddParcel\nDataOra=45";

    const auto entries = journal.Read(damaged);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], earlier);
    EXPECT_TRUE(entries[0].HasAnswer());
    EXPECT_EQ(entries[1], later);
    EXPECT_FALSE(entries[1].HasAnswer());
    ASSERT_EQ(damaged.size(), 1u);
    EXPECT_NE(damaged[0].find("cut.journal"), std::string::npos) << damaged[0];

    // Rewriting a named entry replaces it; removing the last one removes the folder.
    later.FileXmlResponse = "/archivio/risposta.xml";
    journal.Write(later);
    damaged.clear();
    EXPECT_EQ(journal.Read(damaged).at(1), later);
    journal.Remove(earlier.Name);
    journal.Remove(later.Name);
    journal.Remove(later.Name);                              // already gone: no error
    EXPECT_TRUE(std::filesystem::exists(journal.Folder()));  // the damaged entry is still there
    std::filesystem::remove(journal.Folder() / "cut.journal");
    journal.Remove("none.journal");
    EXPECT_FALSE(std::filesystem::exists(journal.Folder()));
}

// The journal is the account's own: its folders are closed to others, a link
// planted in it is neither followed nor read through, and a folder of another
// account is not used.
TEST(JournalTest, ItsFoldersArePrivateAndLinksAreNotFollowed)
{
    const support::TTempFolder archive{"qorita-journal"};
    TJournal journal(archive.Path(), 7);
    TJournalEntry entry = SentEntry(3.0);
    journal.Write(entry);
    for (const auto& folder : {TJournal::Root(archive.Path()), journal.Folder()}) {
        EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_all)
            << folder;
    }
    // A root left open by hand is closed again.
    std::filesystem::permissions(TJournal::Root(archive.Path()), std::filesystem::perms::all);
    std::vector<std::string> damaged;
    EXPECT_EQ(journal.Read(damaged).size(), 1u);
    EXPECT_EQ(std::filesystem::status(TJournal::Root(archive.Path())).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);

    // An entry that is a link to a file elsewhere is not read.
    const auto elsewhere = archive.Path() / "elsewhere.journal";
    std::filesystem::copy_file(journal.Folder() / entry.Name, elsewhere);
    std::filesystem::create_symlink(elsewhere, journal.Folder() / "planted.journal");
    EXPECT_EQ(journal.Read(damaged).size(), 1u);
    ASSERT_EQ(damaged.size(), 1u);
    EXPECT_NE(damaged[0].find("planted.journal"), std::string::npos) << damaged[0];

    // A header folder that is a link is neither read nor written through.
    const support::TTempFolder other{"qorita-journal"};
    TJournal linked(archive.Path(), 8);
    std::filesystem::create_symlink(other.Path(), linked.Folder());
    EXPECT_NE(test::ErrorOf([&] { linked.Read(damaged); }).find("collegamento simbolico"), std::string::npos);
    TJournalEntry through = SentEntry(4.0);
    EXPECT_THROW(linked.Write(through), Exception);
    EXPECT_TRUE(std::filesystem::is_empty(other.Path()));

    // A root that belongs to another account is not used.
    ASSERT_EQ(::chown(TJournal::Root(archive.Path()).c_str(), 65534, 65534), 0);
    EXPECT_NE(test::ErrorOf([&] { journal.Read(damaged); }).find("appartiene a un altro utente"), std::string::npos);
}

// An entry of the first format (no database line) is read with no database,
// for the caller to hold back; an unknown format is damage.
TEST(JournalTest, TheFormatLineDecidesHowAnEntryIsRead)
{
    const support::TTempFolder archive{"qorita-journal"};
    TJournal journal(archive.Path(), 9);
    TJournalEntry entry = SentEntry(5.0);
    journal.Write(entry);
    std::string text;
    {
        std::ifstream in(journal.Folder() / entry.Name);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_EQ(text.rfind("QORITA-JOURNAL 2\nDatabase=" + entry.Database + "\n", 0), 0u) << text;
    const std::string body = text.substr(text.find("\nOperazione="));
    std::ofstream(journal.Folder() / "first.journal") << "QORITA-JOURNAL 1" << body;
    std::ofstream(journal.Folder() / "future.journal") << "QORITA-JOURNAL 9" << body;
    std::vector<std::string> damaged;
    const auto entries = journal.Read(damaged);
    ASSERT_EQ(entries.size(), 2u);
    const auto first = entries[0].Name == "first.journal" ? entries[0] : entries[1];
    EXPECT_EQ(first.Database, "");
    EXPECT_EQ(first.Colli, entry.Colli);
    ASSERT_EQ(damaged.size(), 1u);
    EXPECT_NE(damaged[0].find("future.journal"), std::string::npos) << damaged[0];
}

TEST(JournalTest, APathWithALineBreakIsRefusedBeforeWriting)
{
    const support::TTempFolder archive{"qorita-journal"};
    TJournal journal(archive.Path(), 1);
    TJournalEntry entry = SentEntry(2.0);
    entry.FileXmlRequest = "/a\nb.xml";
    EXPECT_THROW(journal.Write(entry), Exception);
    std::vector<std::string> damaged;
    EXPECT_TRUE(journal.Read(damaged).empty());
}

TEST(CounterMarkTest, OnlyEverRises)
{
    const support::TTempFolder archive{"qorita-journal"};
    TCounterMark mark(TJournal::Root(archive.Path()));
    EXPECT_EQ(mark.Highest(), 0);
    mark.Raise(1000002);
    mark.Raise(17);
    EXPECT_EQ(mark.Highest(), 1000002);
    mark.Raise(1000003);
    EXPECT_EQ(TCounterMark(TJournal::Root(archive.Path())).Highest(), 1000003);

    // Where the folder cannot be made the error says where and why.
    std::ofstream(archive.Path() / "file") << "x";
    TCounterMark blocked(TJournal::Root(archive.Path() / "file"));
    const std::string error = test::ErrorOf([&] { blocked.Raise(1); });
    EXPECT_NE(error.find((archive.Path() / "file" / ".journal").string()), std::string::npos) << error;
}

// A link planted at the mark's name is not written through, and the mark is
// then unreadable, not 0.
TEST(CounterMarkTest, ALinkAtItsNameIsNotFollowed)
{
    const support::TTempFolder archive{"qorita-journal"};
    const auto root = TJournal::Root(archive.Path());
    TCounterMark mark(root);
    mark.Raise(5);
    std::filesystem::remove(root / "ContatoreProgressivo");
    const auto target = archive.Path() / "target";
    std::filesystem::create_symlink(target, root / "ContatoreProgressivo");
    EXPECT_THROW(mark.Raise(6), Exception);
    EXPECT_THROW(mark.Highest(), Exception);
    EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace qorita::test
