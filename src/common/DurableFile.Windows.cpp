#include "common/DurableFile.h"

#include "common/Exception.h"
#include "common/Paths.h"
#include "common/Process.h"
#include "common/WindowsText.h"

#include <windows.h>

namespace qorita {
namespace {

[[noreturn]] void Fail(const char* AWhat, const std::filesystem::path& APath, DWORD AError)
{
    throw Exception(Format("%s %s: %s", AWhat, Utf8FromPath(APath).c_str(), windows::ErrorText(AError).c_str()));
}

// One owner per handle: closed however the block ends.
class THandle {
public:
    THandle(const std::filesystem::path& APath, DWORD AAccess, DWORD ACreation, const char* AWhat,
            bool AMayBeMissing = false)
        : FHandle(CreateFileW(APath.c_str(), AAccess, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              ACreation, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
        if (FHandle != INVALID_HANDLE_VALUE) return;
        const DWORD error = GetLastError();
        if (AMayBeMissing && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) return;
        Fail(AWhat, APath, error);
    }
    ~THandle()
    {
        if (IsOpen()) CloseHandle(FHandle);
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    bool IsOpen() const { return FHandle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return FHandle; }

private:
    HANDLE FHandle;
};

void WriteAll(HANDLE AHandle, std::string_view AText, const std::filesystem::path& APath)
{
    while (!AText.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(AText.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(AHandle, AText.data(), chunk, &written, nullptr)) Fail("Scrittura di", APath, GetLastError());
        AText.remove_prefix(written);
    }
}

// FlushFileBuffers writes the file's data and its metadata (size, and on NTFS
// the folder entry through the journal) to the disk.
void Sync(HANDLE AHandle, const std::filesystem::path& APath)
{
    if (!FlushFileBuffers(AHandle)) Fail("Sincronizzazione su disco di", APath, GetLastError());
}

}  // namespace

void WriteFileDurably(const std::filesystem::path& APath, std::string_view AText)
{
    // A name of its own per process: two writers never share a temporary file.
    std::filesystem::path temporary = APath;
    temporary += ".tmp" + std::to_string(CurrentProcessId());
    {
        THandle file(temporary, GENERIC_WRITE, CREATE_ALWAYS, "Creazione di");
        try {
            WriteAll(file.Get(), AText, temporary);
            Sync(file.Get(), temporary);
        } catch (...) {
            DeleteFileW(temporary.c_str());
            throw;
        }
    }
    // MOVEFILE_WRITE_THROUGH returns once the rename is on the disk: Windows
    // has no folder to sync.
    if (!MoveFileExW(temporary.c_str(), APath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        Fail("Sostituzione di", APath, error);
    }
}

bool ReadWholeFile(const std::filesystem::path& APath, std::string& AText)
{
    THandle file(APath, GENERIC_READ, OPEN_EXISTING, "Lettura di", true);
    if (!file.IsOpen()) return false;
    AText.clear();
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) Fail("Lettura di", APath, GetLastError());
        if (got == 0) return true;
        AText.append(buffer, got);
    }
}

void SyncFile(const std::filesystem::path& APath)
{
    // Flushing needs a handle opened for writing.
    THandle file(APath, GENERIC_WRITE, OPEN_EXISTING, "Apertura di");
    Sync(file.Get(), APath);
}

// Windows cannot open a folder to flush it; its entries reach the disk with
// the files' own flushes and the write-through renames above.
void SyncFolder(const std::filesystem::path&) {}

void CreateFolderDurably(const std::filesystem::path& APath)
{
    if (CreateDirectoryW(APath.c_str(), nullptr)) return;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = GetFileAttributesW(APath.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
        Fail("Creazione della cartella", APath, ERROR_DIRECTORY);
    }
    Fail("Creazione della cartella", APath, error);
}

}  // namespace qorita
