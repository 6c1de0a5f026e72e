#pragma once

// Text to standard output or error (ConsoleOutput.Posix.cpp,
// ConsoleOutput.Windows.cpp). The text is UTF-8. A Windows console gets it as
// UTF-16 through WriteConsoleW, so that accents show right whatever the
// console's code page, and the console's settings are left as they were; a
// pipe or a file, on every system, gets the bytes unchanged.
#include <cstdio>
#include <string_view>

namespace qorita {

void WriteConsoleText(std::FILE* AStream, std::string_view AText);

}  // namespace qorita
