#pragma once

// Status vector of one Firebird call, turned into qorita::Exception with the
// client's own message text when the call failed. Internal to the wrapper.
#include "data/fb/FbApi.h"

#include <string>

namespace qorita::fb {

Firebird::IMaster* Master();

class TFbStatus {
public:
    TFbStatus();
    ~TFbStatus();
    TFbStatus(const TFbStatus&) = delete;
    TFbStatus& operator=(const TFbStatus&) = delete;

    Firebird::CheckStatusWrapper* Get() { return &FWrapper; }

    // Throws with the formatted status when the last call failed, then resets.
    void Check();
    bool Failed() const;
    std::string Text();
    // The first error code of the vector, 0 when none (used to tell lock conflicts).
    long ErrorCode() const;
    void Clear() { FWrapper.init(); }

private:
    Firebird::IStatus* FStatus;
    Firebird::CheckStatusWrapper FWrapper;
};

// The client's message for a status vector, lines separated by CR LF.
std::string FormatStatus(Firebird::IStatus* AStatus);

}  // namespace qorita::fb
