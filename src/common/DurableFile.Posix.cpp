#include "common/DurableFile.h"

#include "common/Exception.h"
#include "common/Process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qorita {
namespace {

[[noreturn]] void Fail(const char* AWhat, const std::filesystem::path& APath, int AError)
{
    throw Exception(Format("%s %s: %s", AWhat, APath.c_str(), std::strerror(AError)));
}

// One owner per descriptor: closed however the block ends.
class TDescriptor {
public:
    // With AMayBeMissing a file that does not exist leaves the descriptor
    // closed (IsOpen false) instead of failing.
    TDescriptor(const std::filesystem::path& APath, int AFlags, const char* AWhat, bool AMayBeMissing = false)
        : FHandle(::open(APath.c_str(), AFlags | O_CLOEXEC, 0644))
    {
        if (FHandle < 0 && !(AMayBeMissing && errno == ENOENT)) Fail(AWhat, APath, errno);
    }
    bool IsOpen() const { return FHandle >= 0; }
    ~TDescriptor()
    {
        if (FHandle >= 0) ::close(FHandle);
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Get() const { return FHandle; }
    // Closing reports the last write errors of some file systems.
    void Close(const std::filesystem::path& APath)
    {
        const int handle = FHandle;
        FHandle = -1;
        if (::close(handle) != 0) Fail("Scrittura di", APath, errno);
    }

private:
    int FHandle;
};

void WriteAll(int AHandle, std::string_view AText, const std::filesystem::path& APath)
{
    while (!AText.empty()) {
        const ssize_t written = ::write(AHandle, AText.data(), AText.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            Fail("Scrittura di", APath, errno);
        }
        AText.remove_prefix(static_cast<std::size_t>(written));
    }
}

void Sync(int AHandle, const std::filesystem::path& APath)
{
    if (::fsync(AHandle) != 0) Fail("Sincronizzazione su disco di", APath, errno);
}

}  // namespace

void WriteFileDurably(const std::filesystem::path& APath, std::string_view AText)
{
    // A name of its own per process: two writers never share a temporary file.
    std::filesystem::path temporary = APath;
    temporary += ".tmp" + std::to_string(CurrentProcessId());
    {
        // Created new, never through a link planted at the temporary name: a
        // leftover of a killed writer with our process ID goes first.
        ::unlink(temporary.c_str());
        TDescriptor file(temporary, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, "Creazione di");
        try {
            WriteAll(file.Get(), AText, temporary);
            Sync(file.Get(), temporary);
            file.Close(temporary);
        } catch (...) {
            ::unlink(temporary.c_str());
            throw;
        }
    }
    if (::rename(temporary.c_str(), APath.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        Fail("Sostituzione di", APath, error);
    }
    SyncFolder(APath.parent_path());
}

bool ReadWholeFile(const std::filesystem::path& APath, std::string& AText)
{
    TDescriptor file(APath, O_RDONLY, "Lettura di", true);
    if (!file.IsOpen()) return false;
    AText.clear();
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail("Lettura di", APath, errno);
        if (got == 0) return true;
        AText.append(buffer, static_cast<std::size_t>(got));
    }
}

void SyncFile(const std::filesystem::path& APath)
{
    TDescriptor file(APath, O_RDONLY, "Apertura di");
    Sync(file.Get(), APath);
}

void SyncFolder(const std::filesystem::path& APath)
{
    TDescriptor folder(APath.empty() ? std::filesystem::path(".") : APath, O_RDONLY | O_DIRECTORY, "Apertura di");
    Sync(folder.Get(), APath);
}

void CreateFolderDurably(const std::filesystem::path& APath)
{
    if (::mkdir(APath.c_str(), 0755) == 0) {
        SyncFolder(APath.parent_path());
        return;
    }
    const int error = errno;
    struct stat status {};
    if (error == EEXIST && ::stat(APath.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return;
    Fail("Creazione della cartella", APath, error == EEXIST ? ENOTDIR : error);
}

}  // namespace qorita
