#include "app/CounterMark.h"

#include "common/DurableFile.h"
#include "common/Exception.h"
#include "common/ExclusiveFile.h"
#include "common/LockedFile.h"
#include "common/Paths.h"

#include <charconv>
#include <string>

namespace qorita {
namespace {

// Fixed width, so that a rewrite covers the old value entirely.
constexpr std::size_t kWidth = 11;

std::int32_t ParseMark(std::string_view AText, const std::filesystem::path& APath)
{
    while (!AText.empty() && (AText.back() == '\n' || AText.back() == ' ')) AText.remove_suffix(1);
    std::int32_t value = 0;
    const auto result = std::from_chars(AText.data(), AText.data() + AText.size(), value);
    if (AText.empty() || result.ec != std::errc() || result.ptr != AText.data() + AText.size()) {
        throw Exception("Contatore progressivo illeggibile in " + Utf8FromPath(APath));
    }
    return value;
}

}  // namespace

TCounterMark::TCounterMark(const std::filesystem::path& AJournalRoot)
    : FRoot(AJournalRoot), FFile(AJournalRoot / "ContatoreProgressivo")
{
}

std::int32_t TCounterMark::Highest() const
{
    std::string text;
    if (!CheckPrivateFolder(FRoot) || !ReadFileNoLink(FFile, text) || text.empty()) return 0;
    return ParseMark(text, FFile);
}

void TCounterMark::Raise(std::int32_t AContatore)
{
    MakePrivateFolder(FRoot);
    const bool existed = std::filesystem::exists(FFile);
    TLockedFile file(FFile);
    const std::string current = file.ReadStart();
    // An empty file is one whose first write was cut short.
    if (!current.empty() && ParseMark(current, FFile) >= AContatore) return;
    std::string text = std::to_string(AContatore);
    text.insert(0, kWidth - std::min(kWidth, text.size()), '0');
    file.WriteAll(text + "\n");
    if (!existed) SyncFolder(FRoot);
}

}  // namespace qorita
