#include "common/ConsoleOutput.h"

#include "common/WindowsText.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

namespace qorita {

void WriteConsoleText(std::FILE* AStream, std::string_view AText)
{
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(AStream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
        // The text already ends its lines with CR LF: the C library's text
        // mode would add a CR of its own.
        std::fflush(AStream);
        _setmode(_fileno(AStream), _O_BINARY);
        std::fwrite(AText.data(), 1, AText.size(), AStream);
        return;
    }
    // What the C library still holds goes first.
    std::fflush(AStream);
    const std::wstring wide = windows::Wide(AText);
    const wchar_t* next = wide.data();
    std::size_t left = wide.size();
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(left < 16384 ? left : 16384);
        if (!WriteConsoleW(handle, next, chunk, &written, nullptr) || written == 0) return;
        next += written;
        left -= written;
    }
}

}  // namespace qorita
