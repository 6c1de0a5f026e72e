#pragma once

// A scriptable HTTPS server on 127.0.0.1 for tests: it answers with exactly
// what the test queued (including broken answers: cut off, stalled, dropped,
// endless) and records every request it received.

#include "Certificates.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qorita::testsupport {

using THeaderList = std::vector<std::pair<std::string, std::string>>;

struct TAnswer {
    enum class TMode {
        Complete,          // the whole answer
        CutOff,            // headers with the full Content-Length, SentBytes of the body, then close
        StallMidBody,      // headers, SentBytes of the body, then silence until released
        StallBeforeBody,   // do not even read the request body; silence until released
        Drop,              // close the connection without a single byte of answer
        Endless,           // filler of EndlessLength bytes (0: chunked, without end)
    };

    int Status = 200;
    std::string ContentType = "text/xml; charset=utf-8";  // empty: no Content-Type header
    std::string Body;
    THeaderList Headers;  // extra answer headers
    TMode Mode = TMode::Complete;
    std::size_t SentBytes = 0;
    std::uint64_t EndlessLength = 0;
    // Waits this long before answering (cut short by ReleaseStalls / shutdown).
    std::chrono::milliseconds Delay{0};
};

struct TRecordedRequest {
    std::string Method;
    std::string Target;  // path and query as sent
    THeaderList Headers;
    std::string Body;
    int RemotePort = 0;  // tells connections apart

    // Value of the first header with the name (any case), empty when none.
    std::string Header(std::string_view AName) const;
    std::size_t HeaderCount(std::string_view AName) const;
};

class TTestHttpsServer {
public:
    // Listens on 127.0.0.1 at a free port; ready to accept when constructed.
    explicit TTestHttpsServer(const support::TCertificateFiles& ACertificates);
    ~TTestHttpsServer();
    TTestHttpsServer(const TTestHttpsServer&) = delete;
    TTestHttpsServer& operator=(const TTestHttpsServer&) = delete;

    int Port() const;
    std::string BaseUrl() const;  // "https://127.0.0.1:<port>"

    // Every request for APath (query ignored) gets this answer.
    void Serve(const std::string& APath, const TAnswer& AAnswer);
    // Requests for other paths take queued answers in order; none left: 404.
    void Enqueue(const TAnswer& AAnswer);

    std::vector<TRecordedRequest> Requests() const;
    // Ends every stall and delay now (the destructor does it too).
    void ReleaseStalls();

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace qorita::testsupport
