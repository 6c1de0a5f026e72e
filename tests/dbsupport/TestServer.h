#pragma once

// The tests' own Firebird server, started by scripts/fbserver.sh in the clone's
// build/fbserver/ on a free loopback port; scripts/test.sh exports what the
// tests need from it (eval "$(scripts/fbserver.sh env)" does the same by hand).
#include <string>

namespace qorita::test {

// Its address, "127.0.0.1/PORT", from QORITA_TEST_FB_SERVER; throws when the
// variable is not set.
std::string TestServerAddress();

// Kills it with SIGKILL, by the pid it was started with, and returns once the
// process is gone. Only the server at TestServerAddress() is ever killed.
void KillTestServer();

// Starts it again on the same address (scripts/fbserver.sh restart).
void RestartTestServer();

}  // namespace qorita::test
