#include "TestHttpsServer.h"

#include <httplib.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <sys/socket.h>

namespace qorita::testsupport {

namespace {

bool EqualsNoCase(std::string_view A, std::string_view B)
{
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string TRecordedRequest::Header(std::string_view AName) const
{
    for (const auto& [name, value] : Headers)
        if (EqualsNoCase(name, AName))
            return value;
    return {};
}

std::size_t TRecordedRequest::HeaderCount(std::string_view AName) const
{
    return static_cast<std::size_t>(
        std::count_if(Headers.begin(), Headers.end(), [&](const auto& AHeader) { return EqualsNoCase(AHeader.first, AName); }));
}

struct TTestHttpsServer::TImpl {
    httplib::SSLServer Server;
    int Port = 0;
    std::thread Listener;

    mutable std::mutex Mutex;
    std::condition_variable Released;
    bool StallsReleased = false;
    std::map<std::string, TAnswer> Fixed;
    std::deque<TAnswer> Queue;
    std::vector<TRecordedRequest> Received;

    explicit TImpl(const support::TCertificateFiles& AFiles)
        : Server(AFiles.ServerCertificate.c_str(), AFiles.ServerKey.c_str())
    {
    }

    // Waits until released or until the delay passes; false when released.
    bool Wait(std::chrono::milliseconds ADelay)
    {
        std::unique_lock lock(Mutex);
        return !Released.wait_for(lock, ADelay, [this] { return StallsReleased; });
    }
    void WaitUntilReleased()
    {
        std::unique_lock lock(Mutex);
        Released.wait(lock, [this] { return StallsReleased; });
    }

    TAnswer Take(const std::string& APath)
    {
        std::lock_guard lock(Mutex);
        if (auto fixed = Fixed.find(APath); fixed != Fixed.end())
            return fixed->second;
        if (Queue.empty()) {
            TAnswer missing;
            missing.Status = 404;
            missing.ContentType = "text/plain";
            missing.Body = "no scripted answer for " + APath;
            return missing;
        }
        TAnswer answer = std::move(Queue.front());
        Queue.pop_front();
        return answer;
    }

    void Record(const httplib::Request& ARequest, std::string ABody)
    {
        TRecordedRequest recorded;
        recorded.Method = ARequest.method;
        recorded.Target = ARequest.target;
        for (const auto& [name, value] : ARequest.headers)
            recorded.Headers.emplace_back(name, value);
        // httplib adds these itself; they were not sent by the client.
        std::erase_if(recorded.Headers, [](const auto& AHeader) {
            return AHeader.first == "REMOTE_ADDR" || AHeader.first == "REMOTE_PORT" ||
                   AHeader.first == "LOCAL_ADDR" || AHeader.first == "LOCAL_PORT";
        });
        recorded.Body = std::move(ABody);
        recorded.RemotePort = ARequest.remote_port;
        std::lock_guard lock(Mutex);
        Received.push_back(std::move(recorded));
    }

    void Answer(const httplib::Request& ARequest, httplib::Response& AResponse, const TAnswer& AAnswer)
    {
        using TMode = TAnswer::TMode;
        if (AAnswer.Delay.count() > 0)
            Wait(AAnswer.Delay);
        if (AAnswer.Mode == TMode::Drop) {
            // Nothing at all reaches the client: the socket is shut under httplib.
            ::shutdown(SSL_get_fd(ARequest.ssl), SHUT_RDWR);
            return;
        }
        AResponse.status = AAnswer.Status;
        for (const auto& [name, value] : AAnswer.Headers)
            AResponse.set_header(name, value);
        const std::string type = AAnswer.ContentType;
        switch (AAnswer.Mode) {
        case TMode::Complete:
        case TMode::StallBeforeBody:
        case TMode::Drop:
            AResponse.body = AAnswer.Body;
            if (!type.empty())
                AResponse.set_header("Content-Type", type);
            break;
        case TMode::CutOff:
        case TMode::StallMidBody: {
            const bool stall = AAnswer.Mode == TMode::StallMidBody;
            const std::string head = AAnswer.Body.substr(0, AAnswer.SentBytes);
            AResponse.set_content_provider(AAnswer.Body.size(), type.c_str(),
                                           [this, head, stall](size_t AOffset, size_t, httplib::DataSink& ASink) {
                                               if (AOffset == 0 && !head.empty() && !ASink.write(head.data(), head.size()))
                                                   return false;
                                               if (stall)
                                                   WaitUntilReleased();
                                               return false;  // closes the connection mid-body
                                           });
            break;
        }
        case TMode::Endless: {
            auto filler = std::make_shared<std::string>(64 * 1024, 'x');
            const auto provide = [filler](size_t, httplib::DataSink& ASink) {
                return ASink.write(filler->data(), filler->size());
            };
            if (AAnswer.EndlessLength > 0) {
                AResponse.set_content_provider(
                    static_cast<size_t>(AAnswer.EndlessLength), type.c_str(),
                    [filler](size_t AOffset, size_t ALength, httplib::DataSink& ASink) {
                        (void)AOffset;
                        return ASink.write(filler->data(), std::min(ALength, filler->size()));
                    });
            } else {
                AResponse.set_chunked_content_provider(type.c_str(), provide);
            }
            break;
        }
        }
    }
};

TTestHttpsServer::TTestHttpsServer(const support::TCertificateFiles& ACertificates)
    : FImpl(std::make_unique<TImpl>(ACertificates))
{
    TImpl& impl = *FImpl;
    if (!impl.Server.is_valid())
        throw std::runtime_error("test HTTPS server: certificate or key not usable");
    impl.Server.Get(".*", [&impl](const httplib::Request& ARequest, httplib::Response& AResponse) {
        impl.Record(ARequest, ARequest.body);
        impl.Answer(ARequest, AResponse, impl.Take(ARequest.path));
    });
    impl.Server.Post(".*", [&impl](const httplib::Request& ARequest, httplib::Response& AResponse,
                                   const httplib::ContentReader& AReader) {
        const TAnswer answer = impl.Take(ARequest.path);
        std::string body;
        if (answer.Mode == TAnswer::TMode::StallBeforeBody) {
            impl.Record(ARequest, body);
            impl.WaitUntilReleased();
            AResponse.status = 500;
            return;
        }
        AReader([&body](const char* AData, size_t ALength) {
            body.append(AData, ALength);
            return true;
        });
        impl.Record(ARequest, std::move(body));
        impl.Answer(ARequest, AResponse, answer);
    });
    // Answers go out in several writes (head, body): without this, Nagle's
    // algorithm holds the second until the client's delayed ACK, 40 ms later.
    impl.Server.set_tcp_nodelay(true);
    // Binding also starts listening: connections queue up from here on, so the
    // server is ready as soon as the constructor returns.
    impl.Port = impl.Server.bind_to_any_port("127.0.0.1");
    if (impl.Port <= 0)
        throw std::runtime_error("test HTTPS server: cannot bind to 127.0.0.1");
    impl.Listener = std::thread([&impl] { impl.Server.listen_after_bind(); });
    // httplib ignores stop() until its accept loop runs: wait for that loop,
    // or a server destroyed right away would never stop.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!impl.Server.is_running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    if (!impl.Server.is_running()) {
        impl.Listener.detach();
        throw std::runtime_error("test HTTPS server: accept loop did not start");
    }
}

TTestHttpsServer::~TTestHttpsServer()
{
    ReleaseStalls();
    FImpl->Server.stop();
    if (FImpl->Listener.joinable())
        FImpl->Listener.join();
}

int TTestHttpsServer::Port() const
{
    return FImpl->Port;
}

std::string TTestHttpsServer::BaseUrl() const
{
    return "https://127.0.0.1:" + std::to_string(FImpl->Port);
}

void TTestHttpsServer::Serve(const std::string& APath, const TAnswer& AAnswer)
{
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Fixed[APath] = AAnswer;
}

void TTestHttpsServer::Enqueue(const TAnswer& AAnswer)
{
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Queue.push_back(AAnswer);
}

std::vector<TRecordedRequest> TTestHttpsServer::Requests() const
{
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->Received;
}

void TTestHttpsServer::ReleaseStalls()
{
    {
        std::lock_guard lock(FImpl->Mutex);
        FImpl->StallsReleased = true;
    }
    FImpl->Released.notify_all();
}

}  // namespace qorita::testsupport
