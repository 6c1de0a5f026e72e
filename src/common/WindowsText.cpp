#include "common/WindowsText.h"

#include <windows.h>

namespace qorita::windows {

std::wstring Wide(std::string_view AText)
{
    if (AText.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, AText.data(), static_cast<int>(AText.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, AText.data(), static_cast<int>(AText.size()), wide.data(), size);
    return wide;
}

std::string Utf8(std::wstring_view AText)
{
    if (AText.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, AText.data(), static_cast<int>(AText.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, AText.data(), static_cast<int>(AText.size()), text.data(), size, nullptr, nullptr);
    return text;
}

std::string ErrorText(unsigned long ACode)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, ACode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 ? std::wstring(buffer, length) : std::wstring();
    if (buffer != nullptr) LocalFree(buffer);
    // The system's messages end with a line break and often a full stop.
    while (!text.empty() &&
           (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    if (text.empty()) return "Windows error " + std::to_string(ACode);
    return Utf8(text);
}

}  // namespace qorita::windows
