#pragma once

// UTF-8 <-> UTF-16 at the Windows API, for the Windows implementations of this
// folder only.
#include <string>
#include <string_view>

namespace qorita::windows {

std::wstring Wide(std::string_view AText);
std::string Utf8(std::wstring_view AText);
// The system's message for a GetLastError() code.
std::string ErrorText(unsigned long ACode);

}  // namespace qorita::windows
