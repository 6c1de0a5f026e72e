#include "data/fb/FbStatus.h"

#include <cstring>
#include <vector>

#include "data/fb/FbClient.h"

namespace qorita::fb {

namespace {
// A status vector holds at most 20 entries of a few hundred characters; this
// bound only keeps a misbehaving client from growing the buffer for ever.
constexpr std::size_t LongestStatusText = 1 << 20;
}  // namespace

Firebird::IMaster* Master()
{
    static Firebird::IMaster* master = ClientMaster();
    return master;
}

std::string FormatStatus(Firebird::IStatus* AStatus)
{
    // formatStatus cuts a text longer than the buffer it is given and says
    // nothing; a text that fills all but the terminator may have been cut, so
    // the buffer grows until the text leaves room to spare.
    Firebird::IUtil* util = Master()->getUtilInterface();
    // A cut text is not terminated either: the client gets all but the last
    // byte, which stays '\0'.
    std::vector<char> buffer(4096 + 1, '\0');
    for (;;) {
        const std::size_t room = buffer.size() - 1;
        buffer[0] = '\0';
        util->formatStatus(buffer.data(), static_cast<unsigned>(room), AStatus);
        if (std::strlen(buffer.data()) + 1 < room || room >= LongestStatusText) break;
        buffer.assign(room * 2 + 1, '\0');
    }
    // The client separates the lines of its message with LF; the program's
    // messages use CR LF throughout.
    std::string result;
    for (const char* p = buffer.data(); *p; ++p) {
        if (*p == '\n') {
            result += "\r\n";
        } else {
            result += *p;
        }
    }
    while (result.size() >= 2 && result.compare(result.size() - 2, 2, "\r\n") == 0) {
        result.resize(result.size() - 2);
    }
    return result;
}

}  // namespace qorita::fb
