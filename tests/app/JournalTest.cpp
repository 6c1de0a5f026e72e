// The journal of exchanges in flight and the counter mark, on a real folder.
#include "TempFolder.h"
#include "app/CounterMark.h"
#include "app/Journal.h"
#include "common/Exception.h"

#include "ErrorOf.h"

#include <gtest/gtest.h>

#include <fstream>

namespace qorita::test {
namespace {

TJournalEntry SentEntry(TDateTime ADataOra)
{
    TJournalEntry entry;
    entry.Operazione = "AddParcel";
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

}  // namespace
}  // namespace qorita::test
