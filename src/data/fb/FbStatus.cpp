#include "data/fb/FbStatus.h"

#include "common/Exception.h"

namespace qorita::fb {

Firebird::IMaster* Master()
{
    static Firebird::IMaster* master = Firebird::fb_get_master_interface();
    return master;
}

TFbStatus::TFbStatus() : FStatus(Master()->getStatus()), FWrapper(FStatus) {}

TFbStatus::~TFbStatus() { FStatus->dispose(); }

bool TFbStatus::Failed() const
{
    return (const_cast<Firebird::CheckStatusWrapper&>(FWrapper).getState() &
            Firebird::IStatus::STATE_ERRORS) != 0;
}

long TFbStatus::ErrorCode() const
{
    if (!Failed()) return 0;
    const intptr_t* errors = const_cast<Firebird::CheckStatusWrapper&>(FWrapper).getErrors();
    return errors[0] == isc_arg_gds ? static_cast<long>(errors[1]) : 0;
}

std::string TFbStatus::Text() { return FormatStatus(&FWrapper); }

void TFbStatus::Check()
{
    if (!Failed()) return;
    std::string message = Text();
    FWrapper.init();
    throw Exception(message);
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
