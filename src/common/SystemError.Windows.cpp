#include "common/SystemError.h"

#include "common/WindowsText.h"

#include <windows.h>

#include <cstring>

namespace qorita {

std::string ErrnoText(int AError) { return std::strerror(AError); }

std::string LastSystemErrorText() { return windows::ErrorText(GetLastError()); }

}  // namespace qorita
