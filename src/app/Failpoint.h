#pragma once

// Named points at which a test build of the program dies as if killed, to show
// what a crash at that moment leaves behind. Only the test build
// (qorita-failpoints, compiled with QORITA_FAILPOINTS) has them: it kills
// itself with SIGKILL at the point named by the environment variable
// QORITA_FAILPOINT. In the program itself the macro is empty.
#ifdef QORITA_FAILPOINTS
namespace qorita {
void Failpoint(const char* AName);
}
#define QORITA_FAILPOINT(AName) ::qorita::Failpoint(AName)
#else
#define QORITA_FAILPOINT(AName) static_cast<void>(0)
#endif
