#include "app/Journal.h"

#include "common/DurableFile.h"
#include "common/Exception.h"
#include "common/FileSystem.h"
#include "common/Paths.h"
#include "common/Process.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>

namespace qorita {
namespace {

constexpr std::string_view kFirstLine = "QORITA-JOURNAL 1";
constexpr std::string_view kSuffix = ".journal";

std::string FormatDouble(double AValue)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, AValue);
    return std::string(buffer, result.ptr);
}

template <typename TNumber>
bool ParseNumber(std::string_view AText, TNumber& AValue)
{
    const auto result = std::from_chars(AText.data(), AText.data() + AText.size(), AValue);
    return result.ec == std::errc() && result.ptr == AText.data() + AText.size();
}

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
    for (const std::string* value : {&AEntry.Operazione, &AEntry.FileXmlRequest, &AEntry.FileXmlResponse}) {
        CheckLine(*value);
    }
    std::string text(kFirstLine);
    text += "\nOperazione=" + AEntry.Operazione;
    text += "\nDataOra=" + FormatDouble(AEntry.DataOra);
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
            if (line != kFirstLine) throw damaged();
            first = false;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) throw damaged();
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (key == "Operazione") {
            entry.Operazione = value;
        } else if (key == "DataOra") {
            if (!ParseNumber(value, entry.DataOra)) throw damaged();
            complete = true;
        } else if (key == "Operatore") {
            if (!ParseNumber(value, entry.Operatore)) throw damaged();
        } else if (key == "FileXmlRequest") {
            entry.FileXmlRequest = value;
        } else if (key == "FileXmlResponse") {
            entry.FileXmlResponse = value;
        } else if (key == "Collo") {
            const std::size_t colon = value.find(':');
            TJournalCollo collo;
            if (colon == std::string_view::npos || !ParseNumber(value.substr(0, colon), collo.NCollo) ||
                !ParseNumber(value.substr(colon + 1), collo.ContatoreProgressivo)) {
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
    char id[16];
    std::snprintf(id, sizeof id, "%08d", ATestata);
    FFolder = FRoot / id;
}

std::filesystem::path TJournal::Root(const std::filesystem::path& AArchiveFolder)
{
    return AArchiveFolder / ".journal";
}

std::vector<TJournalEntry> TJournal::Read(std::vector<std::string>& ADamaged) const
{
    std::vector<TJournalEntry> entries;
    std::vector<std::string> names;
    if (!ListFolder(FFolder, names)) return entries;
    for (const std::string& name : names) {
        // Temporary files of a write cut short are not entries.
        if (name.size() <= kSuffix.size() || !name.ends_with(kSuffix)) continue;
        try {
            std::string text;
            if (!ReadWholeFile(FFolder / name, text)) continue;  // removed meanwhile by its writer
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
        CreateFolderDurably(FRoot);
        CreateFolderDurably(FFolder);
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
