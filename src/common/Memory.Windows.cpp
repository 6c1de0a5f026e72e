#include "common/Memory.h"

#include <windows.h>

namespace qorita {

std::size_t PageSize() noexcept
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}

// MEM_RESET: the pages' content is no longer wanted, and they are not written
// to the paging file; they stay allocated.
void ReleasePages(void* AFrom, std::size_t ALength) noexcept
{
    VirtualAlloc(AFrom, ALength, MEM_RESET, PAGE_READWRITE);
}

}  // namespace qorita
