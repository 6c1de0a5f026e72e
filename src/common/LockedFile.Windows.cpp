#include "common/LockedFile.h"

#include "common/Exception.h"
#include "common/Paths.h"
#include "common/WindowsText.h"

#include <windows.h>

namespace qorita {
namespace {

[[noreturn]] void Fail(const char* AWhat, const std::filesystem::path& APath)
{
    const DWORD error = GetLastError();
    throw Exception(Format("%s %s: %s", AWhat, Utf8FromPath(APath).c_str(), windows::ErrorText(error).c_str()));
}

}  // namespace

TLockedFile::TLockedFile(const std::filesystem::path& APath) : FPath(APath)
{
    HANDLE handle =
        CreateFileW(APath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) Fail("Apertura di", FPath);
    OVERLAPPED whole{};
    if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        SetLastError(error);
        Fail("Blocco di", FPath);
    }
    FHandle = handle;
}

TLockedFile::~TLockedFile() { CloseHandle(FHandle); }

std::string TLockedFile::ReadStart() const
{
    char buffer[64];
    DWORD got = 0;
    OVERLAPPED start{};
    if (!ReadFile(FHandle, buffer, sizeof buffer, &got, &start) && GetLastError() != ERROR_HANDLE_EOF)
        Fail("Lettura di", FPath);
    return std::string(buffer, got);
}

void TLockedFile::WriteAll(const std::string& AText)
{
    DWORD written = 0;
    OVERLAPPED start{};
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(AText.size());
    if (!WriteFile(FHandle, AText.data(), static_cast<DWORD>(AText.size()), &written, &start) ||
        written != AText.size() || !SetFilePointerEx(FHandle, end, nullptr, FILE_BEGIN) || !SetEndOfFile(FHandle) ||
        !FlushFileBuffers(FHandle)) {
        Fail("Scrittura di", FPath);
    }
}

}  // namespace qorita
