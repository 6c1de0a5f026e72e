#pragma once

// An HTTPS server on 127.0.0.1 that answers exactly what it was told, broken
// answers included (cut off, stalled, dropped, endless), and records every
// request it receives. The sandbox courier answers through it; the tests of the
// SOAP client script it directly.

#include "Certificates.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace qorita::sandbox {

using THeaderList = std::vector<std::pair<std::string, std::string>>;

// An exact answer, served instead of the server's own.
struct TScriptedAnswer {
    // How the answer reaches the client.
    enum class TMode {
        Complete,         // the whole answer
        CutOff,           // headers with the full Content-Length, SentBytes of the body, then close
        StallMidBody,     // headers and SentBytes of the body, then silence until released
        StallBeforeBody,  // (POST) not even the request body is read; silence until released
        Endless,          // filler of EndlessLength bytes (0: chunked, without end)
    };

    int Status = 200;
    std::string ContentType = "text/xml; charset=utf-8";  // empty: no Content-Type header
    std::string Body{};
    // Waited before answering (cut short by ReleaseStalls and Stop).
    std::chrono::milliseconds Delay{0};
    // Closes the connection without writing any answer.
    bool DropConnection = false;
    // "GET" or "POST": the answer waits for the next request of that method; empty:
    // the next request of any method. Queued answers are served in queue order.
    std::string Method{};
    THeaderList Headers{};  // more answer headers
    TMode Mode = TMode::Complete;
    std::size_t SentBytes = 0;
    std::uint64_t EndlessLength = 0;
    // The server's own answer (its default) is made at once, with whatever work
    // it does, and sent after Delay instead of Body: an answer that comes late,
    // or never when the client is gone by then.
    bool DefaultAnswers = false;
    // Sends the body one byte at a time with this pause before each (0: at once):
    // an answer that trickles in and never stalls.
    std::chrono::milliseconds TrickleInterval{0};
};

// A request as the server received it.
struct TReceivedRequest {
    std::string Method{};
    std::string Target;  // path and query as sent ("/zanwebservice.asmx?WSDL")
    THeaderList Headers;
    std::string Body{};
    int RemotePort = 0;  // tells connections apart

    // The first header of that name (compared without regard to case), empty when absent.
    std::string Header(std::string_view AName) const;
    bool HasHeader(std::string_view AName) const;
    std::size_t HeaderCount(std::string_view AName) const;
};

// Thread-safe: answers may be queued and requests read while it serves.
class TScriptedServer {
public:
    // Answers what no scripted answer is for; without one such requests get 404.
    // The request's body is read before the call.
    using TDefaultAnswer = std::function<void(const httplib::Request&, httplib::Response&)>;

    // AName begins the messages of a server that cannot start ("The sandbox courier").
    // An idle connection is closed after AKeepAlive; Stop waits for that at most.
    explicit TScriptedServer(std::string AName, TDefaultAnswer ADefault = {},
                             std::chrono::seconds AKeepAlive = std::chrono::seconds(5));
    ~TScriptedServer();
    TScriptedServer(const TScriptedServer&) = delete;
    TScriptedServer& operator=(const TScriptedServer&) = delete;

    // Binds 127.0.0.1 at APort (0: any free port) and returns once connections are
    // accepted. Fails with qorita::Exception. Queued answers and received requests
    // stay from one run to the next.
    void Start(const support::TCertificateFiles& ACertificates, int APort = 0);
    // Ends every stall and delay, stops serving and waits for the server thread;
    // safe to call twice.
    void Stop();
    bool Running() const;

    int Port() const;
    std::string BaseUrl() const;  // "https://127.0.0.1:<port>"

    // Every request for APath (query ignored) gets this answer, before queued ones.
    void Serve(const std::string& APath, TScriptedAnswer AAnswer);
    void QueueAnswer(TScriptedAnswer AAnswer);
    std::size_t PendingAnswers() const;
    void ClearAnswers();

    std::vector<TReceivedRequest> Requests() const;
    void ClearRequests();
    // Waits until at least ACount requests have been received (before they are
    // answered); false when ATimeout passed first.
    bool WaitForRequests(std::size_t ACount, std::chrono::milliseconds ATimeout) const;

    // Ends every stall and delay now, and lets later ones pass at once.
    void ReleaseStalls();

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace qorita::sandbox
