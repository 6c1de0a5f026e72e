#include "common/FileSystem.h"

#include "common/Exception.h"
#include "common/Paths.h"
#include "common/WindowsText.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace qorita {

std::FILE* OpenFile(const std::filesystem::path& APath, const char* AMode)
{
    // The C runtime's fopen knows no 'x': an exclusive creation goes through
    // _wopen with _O_EXCL, which fails on any existing name, a link included.
    if (std::strchr(AMode, 'x') == nullptr) return _wfopen(APath.c_str(), windows::Wide(AMode).c_str());
    const bool append = std::strchr(AMode, 'a') != nullptr;
    const int handle = _wopen(APath.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | (append ? _O_APPEND : 0),
                              _S_IREAD | _S_IWRITE);
    if (handle < 0) return nullptr;
    std::FILE* file = _fdopen(handle, append ? "ab" : "wb");
    if (file == nullptr) _close(handle);
    return file;
}

bool ListFolder(const std::filesystem::path& APath, std::vector<std::string>& ANames)
{
    WIN32_FIND_DATAW item;
    HANDLE search = FindFirstFileW((APath / L"*").c_str(), &item);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
        throw Exception(
            Format("Lettura della cartella %s: %s", Utf8FromPath(APath).c_str(), windows::ErrorText(error).c_str()));
    }
    do {
        const std::wstring_view name = item.cFileName;
        if (name != L"." && name != L"..") ANames.push_back(windows::Utf8(name));
    } while (FindNextFileW(search, &item));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        throw Exception(
            Format("Lettura della cartella %s: %s", Utf8FromPath(APath).c_str(), windows::ErrorText(error).c_str()));
    }
    return true;
}

std::filesystem::path CreateUniqueFolder(const std::filesystem::path& AParent, const std::string& APrefix)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = APrefix + "-";
        for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
        const std::filesystem::path folder = AParent / PathFromUtf8(name);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw Exception(Format("Cannot create a temporary folder in %s: %s", Utf8FromPath(AParent).c_str(),
                           windows::ErrorText(GetLastError()).c_str()));
}

}  // namespace qorita
