#pragma once

// The system's own words for a failure (SystemError.Posix.cpp,
// SystemError.Windows.cpp), as UTF-8.
#include <string>

namespace qorita {

// For an errno value.
std::string ErrnoText(int AError);

// For the last failure of a Windows API call (GetLastError); errno elsewhere.
std::string LastSystemErrorText();

}  // namespace qorita
