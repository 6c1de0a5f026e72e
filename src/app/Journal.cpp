#include "app/Journal.h"

#include "common/DurableFile.h"
#include "common/Exception.h"
#include "common/ExclusiveFile.h"
#include "common/FileSystem.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/Process.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace qorita {
namespace {

constexpr std::string_view kFirstLine = "QORITA-JOURNAL 2";
// Entries of the first format carry no database.
constexpr std::string_view kFirstLineWithoutDatabase = "QORITA-JOURNAL 1";
constexpr std::string_view kSuffix = ".journal";

// Paths and words are written one per line: a line break inside one would
// make the entry unreadable, so it is refused before anything is written.
void CheckLine(const std::string& AValue)
{
    if (AValue.find_first_of("\r\n") != std::string::npos) {
        throw Exception("Valore con un a capo, non scrivibile nel giornale degli scambi: " + AValue);
    }
}

std::string Serialize(const TJournalEntry& AEntry)
{
    for (const std::string* value :
         {&AEntry.Operazione, &AEntry.Database, &AEntry.FileXmlRequest, &AEntry.FileXmlResponse}) {
        CheckLine(*value);
    }
    if (AEntry.Database.empty()) throw Exception("Voce del giornale degli scambi senza database");
    std::string text(kFirstLine);
    text += "\nDatabase=" + AEntry.Database;
    text += "\nOperazione=" + AEntry.Operazione;
    text += "\nDataOra=" + FormatDoubleExact(AEntry.DataOra);
    text += "\nOperatore=" + std::to_string(AEntry.Operatore);
    text += "\nFileXmlRequest=" + AEntry.FileXmlRequest;
    if (AEntry.HasAnswer()) text += "\nFileXmlResponse=" + AEntry.FileXmlResponse;
    for (const TJournalCollo& collo : AEntry.Colli) {
        text += "\nCollo=" + std::to_string(collo.NCollo) + ":" + std::to_string(collo.ContatoreProgressivo);
    }
    text += "\n";
    return text;
}

TJournalEntry Parse(const std::string& AName, std::string_view AText, const std::filesystem::path& APath)
{
    auto damaged = [&APath]() { return Exception("Voce del giornale degli scambi illeggibile: " + APath.string()); };
    TJournalEntry entry;
    entry.Name = AName;
    bool first = true;
    bool complete = false;
    while (!AText.empty()) {
        const std::size_t end = AText.find('\n');
        // A last line without its line break is a write cut short.
        if (end == std::string_view::npos) throw damaged();
        const std::string_view line = AText.substr(0, end);
        AText.remove_prefix(end + 1);
        if (first) {
            if (line != kFirstLine && line != kFirstLineWithoutDatabase) throw damaged();
            first = false;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) throw damaged();
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (key == "Database") {
            entry.Database = value;
        } else if (key == "Operazione") {
            entry.Operazione = value;
        } else if (key == "DataOra") {
            if (!ParseDouble(value, entry.DataOra)) throw damaged();
            complete = true;
        } else if (key == "Operatore") {
            if (!ParseInteger(value, entry.Operatore)) throw damaged();
        } else if (key == "FileXmlRequest") {
            entry.FileXmlRequest = value;
        } else if (key == "FileXmlResponse") {
            entry.FileXmlResponse = value;
        } else if (key == "Collo") {
            const std::size_t colon = value.find(':');
            TJournalCollo collo;
            if (colon == std::string_view::npos || !ParseInteger(value.substr(0, colon), collo.NCollo) ||
                !ParseInteger(value.substr(colon + 1), collo.ContatoreProgressivo)) {
                throw damaged();
            }
            entry.Colli.push_back(collo);
        }
        // Keys of a later version are skipped.
    }
    if (first || !complete) throw damaged();
    return entry;
}

// A name no other writer uses: the exchange's stamp, this process and a
// sequence within it.
std::string NewName(const TJournalEntry& AEntry)
{
    static std::atomic<unsigned> sequence{0};
    return FormatStamp(AEntry.DataOra) + "_" + std::to_string(CurrentProcessId()) + "_" + std::to_string(++sequence) +
           "_" + AEntry.Operazione + std::string(kSuffix);
}

}  // namespace

TJournal::TJournal(const std::filesystem::path& AArchiveFolder, std::int32_t ATestata) : FRoot(Root(AArchiveFolder))
{
    FFolder = FRoot / FormatPaddedId(ATestata);
}

std::filesystem::path TJournal::Root(const std::filesystem::path& AArchiveFolder)
{
    return AArchiveFolder / ".journal";
}

std::vector<TJournalEntry> TJournal::Read(std::vector<std::string>& ADamaged) const
{
    std::vector<TJournalEntry> entries;
    if (!CheckPrivateFolder(FRoot) || !CheckPrivateFolder(FFolder)) return entries;
    std::vector<std::string> names;
    if (!ListFolder(FFolder, names)) return entries;
    for (const std::string& name : names) {
        // Temporary files of a write cut short are not entries.
        if (name.size() <= kSuffix.size() || !name.ends_with(kSuffix)) continue;
        try {
            std::string text;
            if (!ReadFileNoLink(FFolder / name, text)) continue;  // removed meanwhile by its writer
            entries.push_back(Parse(name, text, FFolder / name));
        } catch (const Exception& error) {
            ADamaged.push_back(error.Message());
        }
    }
    std::sort(entries.begin(), entries.end(), [](const TJournalEntry& A, const TJournalEntry& B) {
        return A.DataOra != B.DataOra ? A.DataOra < B.DataOra : A.Name < B.Name;
    });
    return entries;
}

void TJournal::Write(TJournalEntry& AEntry)
{
    const std::string text = Serialize(AEntry);
    if (AEntry.Name.empty()) AEntry.Name = NewName(AEntry);
    // Another run on the shipment may remove the folder, once empty, between
    // our making sure it exists and our writing into it: then once more.
    for (int attempt = 1;; ++attempt) {
        MakePrivateFolder(FRoot);
        MakePrivateFolder(FFolder);
        try {
            WriteFileDurably(FFolder / AEntry.Name, text);
            return;
        } catch (const Exception&) {
            std::error_code error;
            if (attempt == 2 || std::filesystem::exists(FFolder, error)) throw;
        }
    }
}

void TJournal::Remove(const std::string& AName)
{
    const std::filesystem::path path = FFolder / AName;
    std::error_code error;
    if (!std::filesystem::remove(path, error) && error) {
        throw Exception(Format("Eliminazione di %s: %s", Utf8FromPath(path).c_str(), error.message().c_str()));
    }
    // Fails while another run's entry is still in there, which is fine.
    std::filesystem::remove(FFolder, error);
}

}  // namespace qorita
