#pragma once

// Memory pages handed back to the system (Memory.Posix.cpp, Memory.Windows.cpp).
#include <cstddef>

namespace qorita {

std::size_t PageSize() noexcept;

// Gives the whole pages of [AFrom, AFrom + ALength) back to the system. The
// memory stays the caller's; what it reads afterwards is undefined (zeros on
// Linux). Only a hint: it may do nothing.
void ReleasePages(void* AFrom, std::size_t ALength) noexcept;

}  // namespace qorita
