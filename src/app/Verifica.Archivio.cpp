#include "app/Verifica.h"
#include "app/Journal.h"
#include "common/Exception.h"
#include "common/FileSystem.h"
#include "common/Paths.h"
#include "common/Process.h"
#include "common/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace qorita {
namespace {

std::string Counted(std::size_t ACount, const char* AOne, const char* AMany)
{
    return std::to_string(ACount) + " " + (ACount == 1 ? AOne : AMany);
}

// The header IDs the journal has folders for (named "%08d").
std::vector<std::int32_t> JournalHeaders(const std::filesystem::path& ARoot)
{
    std::vector<std::int32_t> headers;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(ARoot)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != 8 || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        if (entry.is_directory()) headers.push_back(std::stoi(name));
    }
    std::sort(headers.begin(), headers.end());
    return headers;
}

struct TFileClose {
    void operator()(std::FILE* AFile) const noexcept { std::fclose(AFile); }
};

}  // namespace

void CheckArchiveFolder(const std::string& AFolder)
{
    std::error_code error;
    if (!std::filesystem::is_directory(PathFromUtf8(AFolder), error)) throw Exception("no such folder");
    // A name no archived exchange can have, unique to this process.
    const std::filesystem::path probe =
        PathFromUtf8(AFolder) / (".qorita-verifica-" + std::to_string(CurrentProcessId()) + ".tmp");
    {
        std::unique_ptr<std::FILE, TFileClose> file(OpenFile(probe, "wx"));
        if (!file) throw Exception(Format("cannot create a file there: %s", std::strerror(errno)));
        const bool written = std::fputs("qorita -Verifica\n", file.get()) >= 0;
        const int writeErrno = errno;
        if (std::fclose(file.release()) != 0 || !written) {
            const int closeErrno = written ? errno : writeErrno;
            std::filesystem::remove(probe, error);
            throw Exception(Format("cannot write a file there: %s", std::strerror(closeErrno)));
        }
    }
    if (!std::filesystem::remove(probe, error)) {
        throw Exception(
            Format("cannot remove the file %s it created: %s", Utf8FromPath(probe).c_str(), error.message().c_str()));
    }
}

std::string ScambiInVolo(const std::string& AFolder, const std::string& ADatabase, bool& ADamaged)
{
    ADamaged = false;
    const std::filesystem::path root = TJournal::Root(AFolder);
    std::error_code error;
    if (!std::filesystem::is_directory(root, error)) return "none";
    std::vector<std::int32_t> headers;
    try {
        headers = JournalHeaders(root);
    } catch (const std::filesystem::filesystem_error& listing) {
        ADamaged = true;
        return Format("the journal %s cannot be listed: %s", Utf8FromPath(root).c_str(),
                      listing.code().message().c_str());
    }
    std::string text;
    for (const std::int32_t header : headers) {
        std::vector<std::string> damaged;
        std::vector<TJournalEntry> entries;
        try {
            entries = TJournal(AFolder, header).Read(damaged);
        } catch (const std::exception& reading) {
            damaged.push_back(OneLine(reading.what()));
        }
        // A run takes only its own database's entries; one that names none
        // holds its shipment back, as a damaged one does.
        std::size_t others = 0;
        std::erase_if(entries, [&](const TJournalEntry& AEntry) {
            if (AEntry.Database == ADatabase) return false;
            if (AEntry.Database.empty()) {
                damaged.push_back(AEntry.Name + ": it names no database (written by an earlier version)");
            } else {
                ++others;
            }
            return true;
        });
        const auto answers = static_cast<std::size_t>(std::count_if(
            entries.begin(), entries.end(), [](const TJournalEntry& AEntry) { return AEntry.HasAnswer(); }));
        std::string items;
        auto add = [&items](const std::string& AItem) { items += (items.empty() ? "" : ", ") + AItem; };
        if (others > 0) {
            add(Counted(others, "entry", "entries") + " of another database on this archive folder, left to its runs");
        }
        if (answers > 0) add(Counted(answers, "answer", "answers") + " that the next run on it records");
        if (entries.size() > answers) {
            add(Counted(entries.size() - answers, "request", "requests") +
                " without answer that the next Crea sends again with the same counters");
        }
        if (!damaged.empty()) {
            ADamaged = true;
            std::string reasons;
            for (const std::string& reason : damaged) reasons += (reasons.empty() ? "" : "; ") + OneLine(reason);
            add(Counted(damaged.size(), "entry", "entries") + " that cannot be read, left for an operator (" + reasons +
                ")");
        }
        if (items.empty()) continue;  // emptied meanwhile by a run
        text += (text.empty() ? "header " : "; header ") + std::to_string(header) + ": " + items;
    }
    return text.empty() ? "none" : text;
}

}  // namespace qorita
