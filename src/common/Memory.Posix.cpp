#include "common/Memory.h"

#include <sys/mman.h>
#include <unistd.h>

namespace qorita {

std::size_t PageSize() noexcept { return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)); }

// MADV_DONTNEED: the pages read as zeros from then on.
void ReleasePages(void* AFrom, std::size_t ALength) noexcept { ::madvise(AFrom, ALength, MADV_DONTNEED); }

}  // namespace qorita
