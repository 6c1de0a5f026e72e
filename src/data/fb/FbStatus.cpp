#include "data/fb/FbStatus.h"

#include "data/fb/FbClient.h"

namespace qorita::fb {

Firebird::IMaster* Master()
{
    static Firebird::IMaster* master = ClientMaster();
    return master;
}

std::string FormatStatus(Firebird::IStatus* AStatus)
{
    char buffer[4096];
    Master()->getUtilInterface()->formatStatus(buffer, sizeof buffer, AStatus);
    // The client separates the lines of its message with LF; the program's
    // messages use CR LF throughout.
    std::string result;
    for (const char* p = buffer; *p; ++p) {
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
