// Compiled into the test build only (see Failpoint.h).
#include "app/Failpoint.h"

#ifndef QORITA_FAILPOINTS
#error "Failpoint.cpp belongs to the test build only"
#endif

#include <unistd.h>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace qorita {

void Failpoint(const char* AName)
{
    const char* wanted = std::getenv("QORITA_FAILPOINT");
    if (wanted != nullptr && std::strcmp(wanted, AName) == 0) ::kill(::getpid(), SIGKILL);
}

}  // namespace qorita
