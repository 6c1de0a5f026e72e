#include "app/ProcessEnd.h"

#include "data/fb/FbConnection.h"

#include <cstdio>
#include <cstdlib>

namespace qorita {

int EndProcess(int AExitCode, bool ADetached)
{
    const bool flushed = std::fflush(stdout) == 0 && std::fflush(stderr) == 0;
    if (ADetached && flushed) std::_Exit(AExitCode);
    fb::ShutdownClient();
    return AExitCode;
}

}  // namespace qorita
