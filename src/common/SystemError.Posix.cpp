#include "common/SystemError.h"

#include <cerrno>
#include <cstring>

namespace qorita {

std::string ErrnoText(int AError) { return std::strerror(AError); }

std::string LastSystemErrorText() { return ErrnoText(errno); }

}  // namespace qorita
