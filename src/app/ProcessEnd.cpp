#include "app/ProcessEnd.h"

#include "data/fb/FbConnection.h"

#include <cstdio>
#include <cstdlib>

namespace qorita {
namespace {

// A build with AddressSanitizer checks for leaks once the process exits the
// usual way; it keeps the orderly end, so that the check still runs (and runs
// after the client's network threads have ended, as it needs).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLeaveAtOnce = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kLeaveAtOnce = false;
#else
constexpr bool kLeaveAtOnce = true;
#endif
#else
constexpr bool kLeaveAtOnce = true;
#endif

}  // namespace

int EndProcess(int AExitCode, bool ADetached)
{
    const bool flushed = std::fflush(stdout) == 0 && std::fflush(stderr) == 0;
    if (kLeaveAtOnce && ADetached && flushed) std::_Exit(AExitCode);
    fb::ShutdownClient();
    return AExitCode;
}

}  // namespace qorita
