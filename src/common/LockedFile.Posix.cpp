#include "common/LockedFile.h"

#include "common/Exception.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace qorita {
namespace {

[[noreturn]] void Fail(const char* AWhat, const std::filesystem::path& APath)
{
    throw Exception(Format("%s %s: %s", AWhat, APath.c_str(), std::strerror(errno)));
}

int Descriptor(void* AHandle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(AHandle)); }

}  // namespace

TLockedFile::TLockedFile(const std::filesystem::path& APath) : FPath(APath)
{
    const int handle = ::open(APath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (handle < 0) Fail("Apertura di", FPath);
    while (::flock(handle, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            ::close(handle);
            errno = error;
            Fail("Blocco di", FPath);
        }
    }
    FHandle = reinterpret_cast<void*>(static_cast<std::intptr_t>(handle));
}

TLockedFile::~TLockedFile() { ::close(Descriptor(FHandle)); }

std::string TLockedFile::ReadStart() const
{
    char buffer[64];
    const ssize_t got = ::pread(Descriptor(FHandle), buffer, sizeof buffer, 0);
    if (got < 0) Fail("Lettura di", FPath);
    return std::string(buffer, static_cast<std::size_t>(got));
}

void TLockedFile::WriteAll(const std::string& AText)
{
    const int handle = Descriptor(FHandle);
    if (::pwrite(handle, AText.data(), AText.size(), 0) != static_cast<ssize_t>(AText.size()) ||
        ::ftruncate(handle, static_cast<off_t>(AText.size())) != 0 || ::fsync(handle) != 0) {
        Fail("Scrittura di", FPath);
    }
}

}  // namespace qorita
