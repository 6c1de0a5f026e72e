#include "common/ExclusiveFile.h"

#include "common/Exception.h"
#include "common/FileSystem.h"
#include "common/Paths.h"

#include <windows.h>

#include <cstdio>

namespace qorita {
namespace {

[[noreturn]] void Fail(const char* AWhat, const std::filesystem::path& APath, DWORD AError)
{
    throw Exception(
        Format("%s %s: errore di Windows %lu", AWhat, Utf8FromPath(APath).c_str(), static_cast<unsigned long>(AError)));
}

// Checks an existing entry; false when there is none. A junction or a
// symbolic link (a reparse point) is never used as one of our folders.
// Windows keeps a folder's access in its ACL, inherited from the archive
// folder: the rights there stay as the administrator set them.
bool CheckFolder(const std::filesystem::path& APath)
{
    const DWORD attributes = GetFileAttributesW(APath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
        Fail("Lettura della cartella", APath, error);
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        throw Exception(
            Format("La cartella %s è un collegamento simbolico: non viene seguito", Utf8FromPath(APath).c_str()));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) Fail("Lettura della cartella", APath, ERROR_DIRECTORY);
    return true;
}

}  // namespace

std::FILE* OpenNewFile(const std::filesystem::path& APath)
{
    // CREATE_NEW (through _O_EXCL) fails on any existing name, a link too.
    return OpenFile(APath, "wbx");
}

void MakePrivateFolder(const std::filesystem::path& APath)
{
    if (CreateDirectoryW(APath.c_str(), nullptr)) return;
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) Fail("Creazione della cartella", APath, error);
    CheckFolder(APath);
}

bool CheckPrivateFolder(const std::filesystem::path& APath) { return CheckFolder(APath); }

bool ReadFileNoLink(const std::filesystem::path& APath, std::string& AText)
{
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself, not what it names, so
    // a link is seen and refused.
    HANDLE file = CreateFileW(APath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
        Fail("Lettura di", APath, error);
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        Fail("Lettura di", APath, error);
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        CloseHandle(file);
        throw Exception(Format("%s è un collegamento simbolico: non viene seguito", Utf8FromPath(APath).c_str()));
    }
    AText.clear();
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            const DWORD error = GetLastError();
            CloseHandle(file);
            Fail("Lettura di", APath, error);
        }
        if (got == 0) break;
        AText.append(buffer, got);
    }
    CloseHandle(file);
    return true;
}

}  // namespace qorita
