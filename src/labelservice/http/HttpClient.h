#pragma once

// HTTPS exchanges with the courier: one libcurl easy handle per client, reused
// for every request of one service call so that the description download and
// the operation call share one connection and one TLS handshake.
//
// How our time-outs map onto libcurl (which has no send or receive time-out):
// - connect (TCP and TLS handshake): CURLOPT_CONNECTTIMEOUT_MS = ConnectTimeout;
// - send and receive: CURLOPT_LOW_SPEED_LIMIT = 1 byte/s together with
//   CURLOPT_LOW_SPEED_TIME = StallTimeout. Once connected, a transfer that
//   moves less than one byte per second for StallTimeout, while sending the
//   request or while waiting for and reading the answer, is aborted. A server
//   that trickles a byte now and then is caught too. libcurl averages the speed
//   over the last few seconds, so the abort comes up to 5 s after the bound.
// - the whole request, from connecting to the last byte of the answer:
//   CURLOPT_TIMEOUT_MS = TotalTimeout. A server that trickles its answer never
//   stalls, so only this bound ends it. It is generous (600 s by default, the
//   TABX parameter QORITA_ServiceTimeout) so that a large label answer on a
//   slow line still fits; past it the request fails with a message that names
//   the limit.
// - the whole run, all its requests together: RunDeadline (the TABX parameter
//   QORITA_RunTimeout). Each request's CURLOPT_TIMEOUT_MS is cut to what is
//   left of the run; a request that would start past it is not sent.
//
// TLS: the peer certificate and host name are always verified, against the
// system store plus, when given, the certificates of an extra PEM file. The
// system store is read through its hashed directory when there is one (see
// UseSystemStoreDirectory in the .cpp: it saves a bundle parse per connection).
// Redirects are not followed; each request is sent once.

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qorita::http {

// The answer is parsed into a tree of about its size as it arrives. 128 MiB
// leaves room for a thousand labels of 100 KB while a hostile or broken server
// cannot exhaust the memory.
inline constexpr std::size_t DefaultMaxBodyBytes = 128u * 1024u * 1024u;

struct THttpLimits {
    std::chrono::milliseconds ConnectTimeout{60000};
    std::chrono::seconds StallTimeout{60};
    std::chrono::milliseconds TotalTimeout{600000};
    std::size_t MaxBodyBytes = DefaultMaxBodyBytes;
    // When the run that makes the requests must be over, and the limit it
    // comes from (for the message); none: no bound but the request's own.
    std::optional<std::chrono::steady_clock::time_point> RunDeadline = std::nullopt;
    std::chrono::seconds RunTimeout{0};
};

// Request headers in sending order; an empty value suppresses the header
// (including one that libcurl would add on its own).
using THeaders = std::vector<std::pair<std::string, std::string>>;

struct THttpResponse {
    long StatusCode = 0;
    std::string ReasonPhrase;  // from the last "HTTP/" status line
    std::string ContentType;   // empty when the answer has none
    std::string Body;          // empty when the body went to a THttpBodySink
};

// Takes the body of an answer as it arrives, instead of THttpResponse::Body:
// for instance straight into a parser's input, so it is never held twice.
class THttpBodySink {
public:
    virtual ~THttpBodySink() = default;
    // Room for a body of ABytes, when the answer declares its length.
    virtual void Reserve(std::size_t ABytes) = 0;
    // False when the data cannot be kept; the transfer is then aborted.
    virtual bool Append(std::string_view AData) = 0;
    virtual std::size_t Size() const = 0;
};

class THttpClient {
public:
    // ACaFile: PEM file of extra trusted authorities, or empty. Fails when the
    // file cannot be read or holds no certificate.
    explicit THttpClient(const std::string& ACaFile, const THttpLimits& ALimits = {});
    ~THttpClient();
    THttpClient(THttpClient&&) noexcept;
    THttpClient& operator=(THttpClient&&) noexcept;
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    // Transport failures (connection, name resolution, time-out, TLS, oversized
    // answer) raise an Exception with libcurl's message; any status is returned.
    // AMaxBodyBytes: a lower bound on the body for this request (0: the
    // client's limit).
    THttpResponse Get(const std::string& AUrl, const THeaders& AHeaders, std::size_t AMaxBodyBytes = 0);
    // ABodySink, when given, takes the answer's body (the limit applies to it
    // all the same).
    THttpResponse Post(const std::string& AUrl, const THeaders& AHeaders, std::string_view ABody,
                       THttpBodySink* ABodySink = nullptr);
    // Connects to the URL's host (for https with the TLS handshake and its
    // verification) and sends nothing: a check that a server accepts us.
    // Raises like a request would.
    void Connect(const std::string& AUrl);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// The User-Agent sent with every request.
inline constexpr const char* UserAgent = "qorita-labelservice/1.0";

}  // namespace qorita::http
