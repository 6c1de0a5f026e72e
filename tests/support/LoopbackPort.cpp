#include "LoopbackPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace qorita::test {
namespace {

// Closes the socket on every path.
class TSocket {
public:
    TSocket() : FHandle(socket(AF_INET, SOCK_STREAM, 0))
    {
        if (FHandle < 0) throw std::system_error(errno, std::generic_category(), "socket");
    }
    ~TSocket() { close(FHandle); }
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;
    int Handle() const { return FHandle; }

private:
    int FHandle;
};

}  // namespace

int UnusedLoopbackPort()
{
    TSocket probe;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (bind(probe.Handle(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        throw std::system_error(errno, std::generic_category(), "bind to 127.0.0.1 port 0");
    }
    socklen_t length = sizeof address;
    if (getsockname(probe.Handle(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::system_error(errno, std::generic_category(), "getsockname");
    }
    return ntohs(address.sin_port);
}

}  // namespace qorita::test
