#include "ScriptedServer.h"

#include "common/Exception.h"

#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_OPENSSL_SUPPORT
#endif
#include <httplib.h>

#include <openssl/ssl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace qorita::sandbox {

namespace {

bool SameText(std::string_view A, std::string_view B)
{
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// httplib adds these to the request's headers itself; the client did not send them.
bool AddedByHttplib(const std::string& AName)
{
    return AName == "REMOTE_ADDR" || AName == "REMOTE_PORT" || AName == "LOCAL_ADDR" || AName == "LOCAL_PORT";
}

}  // namespace

std::string TReceivedRequest::Header(std::string_view AName) const
{
    for (const auto& [name, value] : Headers) {
        if (SameText(name, AName)) {
            return value;
        }
    }
    return {};
}

bool TReceivedRequest::HasHeader(std::string_view AName) const { return HeaderCount(AName) > 0; }

std::size_t TReceivedRequest::HeaderCount(std::string_view AName) const
{
    return static_cast<std::size_t>(std::count_if(Headers.begin(), Headers.end(),
                                                  [&](const auto& AHeader) { return SameText(AHeader.first, AName); }));
}

struct TScriptedServer::TImpl {
    TImpl(std::string AName, TDefaultAnswer ADefault, std::chrono::seconds AKeepAlive)
        : Name(std::move(AName)), Default(std::move(ADefault)), KeepAlive(AKeepAlive)
    {
    }

    std::optional<TScriptedAnswer> Take(const std::string& APath, const std::string& AMethod);
    void Record(const httplib::Request& ARequest, std::string ABody);
    void Handle(const httplib::Request& ARequest, httplib::Response& AResponse,
                const std::optional<TScriptedAnswer>& AScripted);
    void Answer(const httplib::Request& ARequest, httplib::Response& AResponse, const TScriptedAnswer& AAnswer);
    void SetBody(httplib::Response& AResponse, const TScriptedAnswer& AAnswer);
    void Trickle(httplib::Response& AResponse, std::chrono::milliseconds AInterval);
    // Waits until released or until ADelay passed; true when released.
    bool Wait(std::chrono::milliseconds ADelay);
    void WaitUntilReleased();

    const std::string Name;
    const TDefaultAnswer Default;
    const std::chrono::seconds KeepAlive;

    std::unique_ptr<httplib::SSLServer> Server;
    std::thread Thread;
    int BoundPort = 0;

    mutable std::mutex Mutex;  // guards what follows
    std::condition_variable ReleaseSignal;
    mutable std::condition_variable RequestSignal;
    std::condition_variable ServingSignal;
    bool Released = false;
    bool Serving = false;  // the accept loop has begun
    std::map<std::string, TScriptedAnswer> Fixed;
    std::deque<TScriptedAnswer> Queue;
    std::vector<TReceivedRequest> Received;
};

std::optional<TScriptedAnswer> TScriptedServer::TImpl::Take(const std::string& APath, const std::string& AMethod)
{
    const std::lock_guard lock(Mutex);
    if (const auto fixed = Fixed.find(APath); fixed != Fixed.end()) {
        return fixed->second;
    }
    if (Queue.empty() || (!Queue.front().Method.empty() && !SameText(Queue.front().Method, AMethod))) {
        return std::nullopt;
    }
    TScriptedAnswer answer = std::move(Queue.front());
    Queue.pop_front();
    return answer;
}

void TScriptedServer::TImpl::Record(const httplib::Request& ARequest, std::string ABody)
{
    TReceivedRequest received{ARequest.method, ARequest.target, {}, std::move(ABody), ARequest.remote_port};
    for (const auto& [name, value] : ARequest.headers) {
        if (!AddedByHttplib(name)) {
            received.Headers.emplace_back(name, value);
        }
    }
    {
        const std::lock_guard lock(Mutex);
        Received.push_back(std::move(received));
    }
    RequestSignal.notify_all();
}

bool TScriptedServer::TImpl::Wait(std::chrono::milliseconds ADelay)
{
    std::unique_lock lock(Mutex);
    return ReleaseSignal.wait_for(lock, ADelay, [this] { return Released; });
}

void TScriptedServer::TImpl::WaitUntilReleased()
{
    std::unique_lock lock(Mutex);
    ReleaseSignal.wait(lock, [this] { return Released; });
}

void TScriptedServer::TImpl::Handle(const httplib::Request& ARequest, httplib::Response& AResponse,
                                    const std::optional<TScriptedAnswer>& AScripted)
{
    Record(ARequest, ARequest.body);
    if (AScripted) {
        Answer(ARequest, AResponse, *AScripted);
    } else if (Default) {
        Default(ARequest, AResponse);
    } else {
        AResponse.status = 404;
        AResponse.set_content("no scripted answer for " + ARequest.path, "text/plain");
    }
}

void TScriptedServer::TImpl::Answer(const httplib::Request& ARequest, httplib::Response& AResponse,
                                    const TScriptedAnswer& AAnswer)
{
    if (AAnswer.DefaultAnswers && Default) {
        Default(ARequest, AResponse);
    }
    if (AAnswer.Delay.count() > 0) {
        Wait(AAnswer.Delay);
    }
    if (AAnswer.DropConnection) {
        // Closing the socket under the TLS session: the client sees the connection
        // end without an answer. What the server then tries to write goes nowhere.
        const int socket = ARequest.ssl != nullptr ? SSL_get_fd(ARequest.ssl) : -1;
        if (socket >= 0) {
            ::shutdown(socket, SHUT_RDWR);
        }
        AResponse.status = 500;
        AResponse.set_header("Connection", "close");
        return;
    }
    if (!AAnswer.DefaultAnswers) {
        SetBody(AResponse, AAnswer);
    }
    if (AAnswer.TrickleInterval.count() > 0) {
        Trickle(AResponse, AAnswer.TrickleInterval);
    }
}

void TScriptedServer::TImpl::Trickle(httplib::Response& AResponse, std::chrono::milliseconds AInterval)
{
    auto body = std::make_shared<std::string>(std::move(AResponse.body));
    AResponse.body.clear();
    const std::string type = AResponse.get_header_value("Content-Type");
    AResponse.set_content_provider(body->size(), type.c_str(),
                                   [this, body, AInterval](size_t AOffset, size_t, httplib::DataSink& ASink) {
                                       if (Wait(AInterval)) {
                                           return false;  // released: give up
                                       }
                                       return ASink.write(body->data() + AOffset, 1);
                                   });
}

void TScriptedServer::TImpl::SetBody(httplib::Response& AResponse, const TScriptedAnswer& AAnswer)
{
    using TMode = TScriptedAnswer::TMode;
    AResponse.status = AAnswer.Status;
    for (const auto& [name, value] : AAnswer.Headers) {
        AResponse.set_header(name, value);
    }
    const std::string type = AAnswer.ContentType;
    switch (AAnswer.Mode) {
    case TMode::Complete:
    case TMode::StallBeforeBody:
        AResponse.body = AAnswer.Body;
        if (!type.empty()) {
            AResponse.set_header("Content-Type", type);
        }
        break;
    case TMode::CutOff:
    case TMode::StallMidBody: {
        const bool stall = AAnswer.Mode == TMode::StallMidBody;
        const std::string head = AAnswer.Body.substr(0, AAnswer.SentBytes);
        AResponse.set_content_provider(
            AAnswer.Body.size(), type.c_str(), [this, head, stall](size_t AOffset, size_t, httplib::DataSink& ASink) {
                if (AOffset == 0 && !head.empty() && !ASink.write(head.data(), head.size())) {
                    return false;
                }
                if (stall) {
                    WaitUntilReleased();
                }
                return false;  // closes the connection mid-body
            });
        break;
    }
    case TMode::Endless: {
        auto filler = std::make_shared<std::string>(64 * 1024, 'x');
        if (AAnswer.EndlessLength > 0) {
            AResponse.set_content_provider(static_cast<size_t>(AAnswer.EndlessLength), type.c_str(),
                                           [filler](size_t, size_t ALength, httplib::DataSink& ASink) {
                                               return ASink.write(filler->data(), std::min(ALength, filler->size()));
                                           });
        } else {
            AResponse.set_chunked_content_provider(type.c_str(), [filler](size_t, httplib::DataSink& ASink) {
                return ASink.write(filler->data(), filler->size());
            });
        }
        break;
    }
    }
}

TScriptedServer::TScriptedServer(std::string AName, TDefaultAnswer ADefault, std::chrono::seconds AKeepAlive)
    : FImpl(std::make_unique<TImpl>(std::move(AName), std::move(ADefault), AKeepAlive))
{
}

TScriptedServer::~TScriptedServer() { Stop(); }

void TScriptedServer::Start(const support::TCertificateFiles& ACertificates, int APort)
{
    TImpl& impl = *FImpl;
    if (impl.Server) {
        throw Exception(impl.Name + " is already running");
    }
    // A client that goes away mid-answer must not kill the process that hosts us.
    std::signal(SIGPIPE, SIG_IGN);
    auto server =
        std::make_unique<httplib::SSLServer>(ACertificates.ServerCertificate.c_str(), ACertificates.ServerKey.c_str());
    if (!server->is_valid()) {
        throw Exception(impl.Name + " cannot use its certificate in " +
                        ACertificates.ServerCertificate.parent_path().string());
    }
    server->set_keep_alive_timeout(static_cast<time_t>(impl.KeepAlive.count()));
    // The answer goes out as a header write and a body write; with Nagle's
    // algorithm the body waits for the client's delayed ACK of the header
    // (40 ms on Linux), which would add that much to every exchange and bury
    // the client's own cost in bench/run.sh. A courier's server does not wait.
    server->set_tcp_nodelay(true);
    const auto handler = [&impl](const httplib::Request& ARequest, httplib::Response& AResponse) {
        impl.Handle(ARequest, AResponse, impl.Take(ARequest.path, ARequest.method));
    };
    server->Get(".*", handler);
    // POST bodies are read here, so that an answer may leave the body unread.
    server->Post(".*", [&impl](const httplib::Request& ARequest, httplib::Response& AResponse,
                               const httplib::ContentReader& AReader) {
        const std::optional<TScriptedAnswer> scripted = impl.Take(ARequest.path, ARequest.method);
        if (scripted && scripted->Mode == TScriptedAnswer::TMode::StallBeforeBody) {
            impl.Record(ARequest, {});
            impl.WaitUntilReleased();
            AResponse.status = 500;
            return;
        }
        httplib::Request withBody = ARequest;
        AReader([&withBody](const char* AData, size_t ALength) {
            withBody.body.append(AData, ALength);
            return true;
        });
        impl.Handle(withBody, AResponse, scripted);
    });
    server->Put(".*", handler);
    server->Delete(".*", handler);
    server->Patch(".*", handler);
    server->Options(".*", handler);

    int port = APort;
    if (port == 0) {
        port = server->bind_to_any_port("127.0.0.1");
    } else if (!server->bind_to_port("127.0.0.1", port)) {
        port = -1;
    }
    if (port <= 0) {
        throw Exception(impl.Name + " cannot listen on 127.0.0.1 port " + std::to_string(APort));
    }
    {
        const std::lock_guard lock(impl.Mutex);
        impl.Released = false;
        impl.Serving = false;
    }
    // The accept loop makes its worker pool once it runs: the pool's making is
    // the signal that serving has begun.
    server->new_task_queue = [&impl, makeQueue = server->new_task_queue] {
        httplib::TaskQueue* queue = makeQueue();
        {
            const std::lock_guard lock(impl.Mutex);
            impl.Serving = true;
        }
        impl.ServingSignal.notify_all();
        return queue;
    };
    impl.BoundPort = port;
    httplib::SSLServer* raw = server.get();
    impl.Server = std::move(server);
    impl.Thread = std::thread([raw] { raw->listen_after_bind(); });
    // The socket already queues connections; waiting for the accept loop matters
    // only because a stop issued before it runs would be lost.
    bool serving = false;
    {
        std::unique_lock lock(impl.Mutex);
        serving = impl.ServingSignal.wait_for(lock, std::chrono::seconds(5), [&] { return impl.Serving; });
    }
    if (!serving || !raw->is_running()) {
        Stop();
        throw Exception(impl.Name + " did not start serving");
    }
}

void TScriptedServer::Stop()
{
    if (!FImpl->Server) {
        return;
    }
    ReleaseStalls();
    FImpl->Server->stop();
    if (FImpl->Thread.joinable()) {
        FImpl->Thread.join();
    }
    FImpl->Server.reset();
}

bool TScriptedServer::Running() const { return FImpl->Server != nullptr; }

int TScriptedServer::Port() const { return FImpl->BoundPort; }

std::string TScriptedServer::BaseUrl() const { return "https://127.0.0.1:" + std::to_string(FImpl->BoundPort); }

void TScriptedServer::Serve(const std::string& APath, TScriptedAnswer AAnswer)
{
    const std::lock_guard lock(FImpl->Mutex);
    FImpl->Fixed[APath] = std::move(AAnswer);
}

void TScriptedServer::QueueAnswer(TScriptedAnswer AAnswer)
{
    const std::lock_guard lock(FImpl->Mutex);
    FImpl->Queue.push_back(std::move(AAnswer));
}

std::size_t TScriptedServer::PendingAnswers() const
{
    const std::lock_guard lock(FImpl->Mutex);
    return FImpl->Queue.size();
}

void TScriptedServer::ClearAnswers()
{
    const std::lock_guard lock(FImpl->Mutex);
    FImpl->Queue.clear();
}

std::vector<TReceivedRequest> TScriptedServer::Requests() const
{
    const std::lock_guard lock(FImpl->Mutex);
    return FImpl->Received;
}

void TScriptedServer::ClearRequests()
{
    const std::lock_guard lock(FImpl->Mutex);
    FImpl->Received.clear();
}

bool TScriptedServer::WaitForRequests(std::size_t ACount, std::chrono::milliseconds ATimeout) const
{
    std::unique_lock lock(FImpl->Mutex);
    return FImpl->RequestSignal.wait_for(lock, ATimeout, [&] { return FImpl->Received.size() >= ACount; });
}

void TScriptedServer::ReleaseStalls()
{
    {
        const std::lock_guard lock(FImpl->Mutex);
        FImpl->Released = true;
    }
    FImpl->ReleaseSignal.notify_all();
}

}  // namespace qorita::sandbox
