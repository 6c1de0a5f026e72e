#pragma once

// The status of the client's calls. Every call inside the wrapper goes through
// a throwing status wrapper, so a failed call stops the work at once; Guarded
// runs that work and is the one place where the client's error becomes the
// program's Exception, with the client's own message text. Internal to the
// wrapper.
#include "common/Exception.h"
#include "data/fb/FbApi.h"
#include "data/fb/FbOwners.h"

#include <string>
#include <utility>

namespace qorita::fb {

Firebird::IMaster* Master();

using TStatusWrapper = Firebird::ThrowStatusWrapper;

// The client's message for a status vector, lines separated by CR LF.
std::string FormatStatus(Firebird::IStatus* AStatus);

// A fresh status vector and the wrapper that throws on the first failed call.
class TStatus {
public:
    TStatus() : FStatus(Master()->getStatus()), FWrapper(FStatus.get()) {}
    TStatus(const TStatus&) = delete;
    TStatus& operator=(const TStatus&) = delete;

    TStatusWrapper& Wrapper() { return FWrapper; }

private:
    TDisposable<Firebird::IStatus> FStatus;
    TStatusWrapper FWrapper;
};

// Runs AWork(TStatusWrapper&) and returns what it returns. A failed call of the
// client inside it is rethrown as Exception with the client's message; the
// program's own exceptions pass through unchanged.
template <typename TWork>
decltype(auto) Guarded(TWork&& AWork)
{
    TStatus status;
    try {
        return std::forward<TWork>(AWork)(status.Wrapper());
    } catch (const Firebird::FbException& error) {
        throw Exception(FormatStatus(error.getStatus()));
    }
}

}  // namespace qorita::fb
