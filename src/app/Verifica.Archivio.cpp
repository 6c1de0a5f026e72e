#include "app/Verifica.h"
#include "common/Exception.h"
#include "common/FileSystem.h"
#include "common/Paths.h"
#include "common/Process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace qorita {
namespace {

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

}  // namespace qorita
