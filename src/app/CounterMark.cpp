#include "app/CounterMark.h"

#include "common/DurableFile.h"
#include "common/Exception.h"
#include "common/ExclusiveFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>

namespace qorita {
namespace {

// Fixed width, so that a rewrite covers the old value entirely.
constexpr std::size_t kWidth = 11;

[[noreturn]] void Fail(const char* AWhat, const std::filesystem::path& APath)
{
    throw Exception(Format("%s %s: %s", AWhat, APath.c_str(), std::strerror(errno)));
}

std::int32_t ParseMark(std::string_view AText, const std::filesystem::path& APath)
{
    while (!AText.empty() && (AText.back() == '\n' || AText.back() == ' ')) AText.remove_suffix(1);
    std::int32_t value = 0;
    const auto result = std::from_chars(AText.data(), AText.data() + AText.size(), value);
    if (AText.empty() || result.ec != std::errc() || result.ptr != AText.data() + AText.size()) {
        throw Exception("Contatore progressivo illeggibile in " + APath.string());
    }
    return value;
}

class TLockedFile {
public:
    explicit TLockedFile(const std::filesystem::path& APath)
        : FPath(APath), FHandle(::open(APath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600))
    {
        if (FHandle < 0) Fail("Apertura di", FPath);
        while (::flock(FHandle, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(FHandle);
                Fail("Blocco di", FPath);
            }
        }
    }
    ~TLockedFile() { ::close(FHandle); }  // also ends the lock
    TLockedFile(const TLockedFile&) = delete;
    TLockedFile& operator=(const TLockedFile&) = delete;

    std::string ReadAll() const
    {
        char buffer[64];
        const ssize_t got = ::pread(FHandle, buffer, sizeof buffer, 0);
        if (got < 0) Fail("Lettura di", FPath);
        return std::string(buffer, static_cast<std::size_t>(got));
    }
    void WriteAll(const std::string& AText)
    {
        if (::pwrite(FHandle, AText.data(), AText.size(), 0) != static_cast<ssize_t>(AText.size()) ||
            ::ftruncate(FHandle, static_cast<off_t>(AText.size())) != 0 || ::fsync(FHandle) != 0) {
            Fail("Scrittura di", FPath);
        }
    }

private:
    std::filesystem::path FPath;
    int FHandle;
};

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
    const std::string current = file.ReadAll();
    // An empty file is one whose first write was cut short.
    if (!current.empty() && ParseMark(current, FFile) >= AContatore) return;
    std::string text = std::to_string(AContatore);
    text.insert(0, kWidth - std::min(kWidth, text.size()), '0');
    file.WriteAll(text + "\n");
    if (!existed) SyncFolder(FRoot);
}

}  // namespace qorita
