#include "common/ExclusiveFile.h"

#include "common/DurableFile.h"
#include "common/Exception.h"

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

// Checks an existing entry; false when there is none.
bool CheckFolder(const std::filesystem::path& APath)
{
    struct stat status {};
    if (::lstat(APath.c_str(), &status) != 0) {
        if (errno == ENOENT) return false;
        Fail("Lettura della cartella", APath, errno);
    }
    if (S_ISLNK(status.st_mode)) {
        throw Exception(Format("La cartella %s è un collegamento simbolico: non viene seguito", APath.c_str()));
    }
    if (!S_ISDIR(status.st_mode)) Fail("Lettura della cartella", APath, ENOTDIR);
    if (status.st_uid != ::geteuid()) {
        throw Exception(Format("La cartella %s appartiene a un altro utente (uid %u): non viene usata", APath.c_str(),
                               static_cast<unsigned>(status.st_uid)));
    }
    // Ours, but open to others (made so by hand, or by an earlier version):
    // narrowed, through a handle that cannot be a link swapped in meanwhile.
    if ((status.st_mode & 077) != 0) {
        const int handle = ::open(APath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (handle < 0) Fail("Apertura della cartella", APath, errno);
        const int result = ::fchmod(handle, 0700);
        const int error = errno;
        ::close(handle);
        if (result != 0) Fail("Protezione della cartella", APath, error);
    }
    return true;
}

}  // namespace

std::FILE* OpenNewFile(const std::filesystem::path& APath)
{
    // O_EXCL fails on any existing name, a link (even a dangling one) too.
    const int handle = ::open(APath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (handle < 0) return nullptr;
    std::FILE* file = ::fdopen(handle, "wb");
    if (file == nullptr) {
        const int error = errno;
        ::close(handle);
        ::unlink(APath.c_str());
        errno = error;
    }
    return file;
}

void MakePrivateFolder(const std::filesystem::path& APath)
{
    if (::mkdir(APath.c_str(), 0700) == 0) {
        SyncFolder(APath.parent_path());
        return;
    }
    if (errno != EEXIST) Fail("Creazione della cartella", APath, errno);
    CheckFolder(APath);
}

bool CheckPrivateFolder(const std::filesystem::path& APath) { return CheckFolder(APath); }

bool ReadFileNoLink(const std::filesystem::path& APath, std::string& AText)
{
    const int handle = ::open(APath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (handle < 0) {
        if (errno == ENOENT) return false;
        if (errno == ELOOP) {
            throw Exception(Format("%s è un collegamento simbolico: non viene seguito", APath.c_str()));
        }
        Fail("Lettura di", APath, errno);
    }
    AText.clear();
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(handle, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(handle);
            Fail("Lettura di", APath, error);
        }
        if (got == 0) break;
        AText.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(handle);
    return true;
}

}  // namespace qorita
