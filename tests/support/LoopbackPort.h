#pragma once

// A TCP port on 127.0.0.1 that nothing listens on, for a server that must be
// down: the kernel picks a free port for a socket that is then closed. Another
// program could take it in between, but no fixed number is guessed as free.
namespace qorita::test {

int UnusedLoopbackPort();

}  // namespace qorita::test
