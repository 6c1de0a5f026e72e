#include "labelservice/http/HttpClient.h"

#include "common/Exception.h"
#include "common/Text.h"
#include "labelservice/http/CurlGlobal.h"
#include "labelservice/http/ExtraCaCertificates.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <optional>

namespace qorita::http {

namespace {

struct TCurlFree {
    void operator()(CURL* AHandle) const noexcept { curl_easy_cleanup(AHandle); }
};
struct TSlistFree {
    void operator()(curl_slist* AList) const noexcept { curl_slist_free_all(AList); }
};
using TSlistPtr = std::unique_ptr<curl_slist, TSlistFree>;

}  // namespace

struct THttpClient::TImpl {
    std::unique_ptr<CURL, TCurlFree> Handle;
    char ErrorBuffer[CURL_ERROR_SIZE] = {};
    THttpLimits Limits;
    std::optional<TExtraCaCertificates> ExtraCa;

    // Filled by the callbacks during one request.
    THttpResponse Response;
    THttpBodySink* BodySink = nullptr;  // the body goes here when set, during Perform
    std::size_t BodyLimit = 0;          // the limit of this request's body
    bool BodyTooLarge = false;
    bool BodyNotKept = false;
    std::string_view Upload;  // the POST body still to send
    // The bound of the request under way: the request's own limit, or what is
    // left of the run when that is less (RunBound).
    std::chrono::milliseconds CurrentTotal{0};
    bool RunBound = false;

    template <typename T>
    void Set(CURLoption AOption, T AValue)
    {
        const CURLcode code = curl_easy_setopt(Handle.get(), AOption, AValue);
        if (code != CURLE_OK)
            throw Exception(
                Format("libcurl option %d refused: %s", static_cast<int>(AOption), curl_easy_strerror(code)));
    }

    // What libcurl knows about the last transfer; a refusal raises, so no
    // answer is read from a value libcurl did not fill in.
    template <typename T>
    void Get(CURLINFO AInfo, T* AValue)
    {
        const CURLcode code = curl_easy_getinfo(Handle.get(), AInfo, AValue);
        if (code != CURLE_OK)
            throw Exception(
                Format("libcurl information %d refused: %s", static_cast<int>(AInfo), curl_easy_strerror(code)));
    }

    void SetCommonOptions();
    void BoundThisRequest();
    void UseSystemStoreDirectory();
    THttpResponse Perform(const std::string& AUrl, const THeaders& AHeaders, THttpBodySink* ABodySink,
                          std::size_t AMaxBodyBytes = 0);
    std::string TransportMessage(CURLcode ACode, std::chrono::steady_clock::duration AElapsed) const;
    std::string TotalTimeoutText() const;

    static size_t OnBody(char* AData, size_t ASize, size_t ACount, void* AUser);
    static size_t OnHeader(char* AData, size_t ASize, size_t ACount, void* AUser);
    static size_t OnRead(char* ABuffer, size_t ASize, size_t ACount, void* AUser);
};

size_t THttpClient::TImpl::OnBody(char* AData, size_t ASize, size_t ACount, void* AUser)
{
    auto* self = static_cast<TImpl*>(AUser);
    const size_t length = ASize * ACount;
    // Answers without Content-Length are bounded here; a declared length over
    // the limit is already refused by CURLOPT_MAXFILESIZE_LARGE.
    const size_t received = self->BodySink != nullptr ? self->BodySink->Size() : self->Response.Body.size();
    if (length > self->BodyLimit - received) {
        self->BodyTooLarge = true;
        return 0;  // makes libcurl abort the transfer
    }
    if (self->BodySink != nullptr) {
        if (!self->BodySink->Append(std::string_view(AData, length))) {
            self->BodyNotKept = true;
            return 0;
        }
        return length;
    }
    self->Response.Body.append(AData, length);
    return length;
}

size_t THttpClient::TImpl::OnHeader(char* AData, size_t ASize, size_t ACount, void* AUser)
{
    auto* self = static_cast<TImpl*>(AUser);
    const size_t length = ASize * ACount;
    std::string_view line(AData, length);
    // Every status line ("HTTP/1.1 100 Continue", then the final one) replaces
    // the reason phrase, so the last one wins.
    if (line.starts_with("HTTP/")) {
        std::string_view rest = line;
        for (int skip = 0; skip < 2; ++skip) {
            const size_t blank = rest.find(' ');
            rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
        }
        while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n')) rest.remove_suffix(1);
        self->Response.ReasonPhrase.assign(rest);
    } else if (line.size() > 15 && StartsWithNoCase(line, "content-length:")) {
        // Room for the whole body up front: growing a large answer step by
        // step would copy it over and over. Never more than the limit.
        unsigned long long declared = 0;
        std::string_view digits = line.substr(15);
        while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
        std::from_chars(digits.data(), digits.data() + digits.size(), declared);
        if (declared > 0 && declared <= self->BodyLimit) {
            if (self->BodySink != nullptr) self->BodySink->Reserve(static_cast<size_t>(declared));
            else self->Response.Body.reserve(static_cast<size_t>(declared));
        }
    }
    return length;
}

size_t THttpClient::TImpl::OnRead(char* ABuffer, size_t ASize, size_t ACount, void* AUser)
{
    auto* self = static_cast<TImpl*>(AUser);
    const size_t length = std::min(ASize * ACount, self->Upload.size());
    std::copy_n(self->Upload.data(), length, ABuffer);
    self->Upload.remove_prefix(length);
    return length;
}

void THttpClient::TImpl::SetCommonOptions()
{
    Set(CURLOPT_ERRORBUFFER, ErrorBuffer);
    Set(CURLOPT_NOSIGNAL, 1L);
    Set(CURLOPT_PROTOCOLS_STR, "http,https");
    Set(CURLOPT_FOLLOWLOCATION, 0L);
    Set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));  // keeps the reason phrase
    Set(CURLOPT_USERAGENT, UserAgent);
    Set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(Limits.ConnectTimeout.count()));
    Set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    Set(CURLOPT_LOW_SPEED_TIME, static_cast<long>(Limits.StallTimeout.count()));
    Set(CURLOPT_TIMEOUT_MS, static_cast<long>(Limits.TotalTimeout.count()));
    Set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(Limits.MaxBodyBytes));
    Set(CURLOPT_SSL_VERIFYPEER, 1L);
    Set(CURLOPT_SSL_VERIFYHOST, 2L);
    UseSystemStoreDirectory();
    Set(CURLOPT_WRITEFUNCTION, &TImpl::OnBody);
    Set(CURLOPT_WRITEDATA, this);
    Set(CURLOPT_HEADERFUNCTION, &TImpl::OnHeader);
    Set(CURLOPT_HEADERDATA, this);
    if (ExtraCa) ExtraCa->InstallOn(Handle.get());
}

void THttpClient::TImpl::UseSystemStoreDirectory()
{
    // The system store comes as a bundle file and as a hashed directory of the
    // same certificates. Parsing the bundle costs about 20 ms on every new
    // connection with OpenSSL 3 (more than the whole exchange on a near
    // server); through the directory OpenSSL reads only the certificates a
    // chain needs. The bundle is dropped only when libcurl knows a directory
    // that exists, so the trusted set stays the system's either way.
    char* directory = nullptr;
    // A libcurl that cannot tell its directory (one built without it) keeps
    // the bundle: not knowing is no error here.
    if (curl_easy_getinfo(Handle.get(), CURLINFO_CAPATH, &directory) != CURLE_OK || directory == nullptr) return;
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error)) return;
    Set(CURLOPT_CAINFO, static_cast<const char*>(nullptr));
}

void THttpClient::TImpl::BoundThisRequest()
{
    CurrentTotal = Limits.TotalTimeout;
    RunBound = false;
    if (Limits.RunDeadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*Limits.RunDeadline -
                                                                                std::chrono::steady_clock::now());
        if (left <= std::chrono::milliseconds(0)) {
            throw Exception(
                Format("Run not completed within the time limit of %lld s (QORITA_RunTimeout): no further "
                       "request sent",
                       static_cast<long long>(Limits.RunTimeout.count())));
        }
        if (left < CurrentTotal) {
            CurrentTotal = left;
            RunBound = true;
        }
    }
    Set(CURLOPT_TIMEOUT_MS, static_cast<long>(CurrentTotal.count()));
}

std::string THttpClient::TImpl::TotalTimeoutText() const
{
    const auto milliseconds = static_cast<long long>(Limits.TotalTimeout.count());
    if (milliseconds % 1000 == 0) return Format("%lld s", milliseconds / 1000);
    return Format("%lld ms", milliseconds);
}

std::string THttpClient::TImpl::TransportMessage(CURLcode ACode, std::chrono::steady_clock::duration AElapsed) const
{
    if (BodyTooLarge || ACode == CURLE_FILESIZE_EXCEEDED)
        return Format("Answer refused: larger than the limit of %zu bytes", BodyLimit);
    // libcurl reports every one of its time-outs with the same code; the
    // overall one is the one that struck when the whole limit has passed
    // (libcurl counts in whole milliseconds and may strike a little early).
    if (ACode == CURLE_OPERATION_TIMEDOUT && AElapsed + std::chrono::milliseconds(50) >= CurrentTotal && RunBound) {
        return Format("Run not completed within the overall time limit of %lld s (QORITA_RunTimeout): %s",
                      static_cast<long long>(Limits.RunTimeout.count()),
                      ErrorBuffer[0] != '\0' ? ErrorBuffer : curl_easy_strerror(ACode));
    }
    if (ACode == CURLE_OPERATION_TIMEDOUT && AElapsed + std::chrono::milliseconds(50) >= CurrentTotal) {
        return Format("Request not completed within the overall time limit of %s (QORITA_ServiceTimeout): %s",
                      TotalTimeoutText().c_str(), ErrorBuffer[0] != '\0' ? ErrorBuffer : curl_easy_strerror(ACode));
    }
    if (BodyNotKept) return "Out of memory receiving the answer";
    // libcurl wanted to send the request again on a new connection (see Post).
    if (ACode == CURLE_SEND_FAIL_REWIND)
        return "The server closed the connection without answering; the request was not sent again";
    if (ErrorBuffer[0] != '\0') return ErrorBuffer;
    return curl_easy_strerror(ACode);
}

THttpResponse THttpClient::TImpl::Perform(const std::string& AUrl, const THeaders& AHeaders, THttpBodySink* ABodySink,
                                          std::size_t AMaxBodyBytes)
{
    BodyLimit = AMaxBodyBytes != 0 ? std::min(AMaxBodyBytes, Limits.MaxBodyBytes) : Limits.MaxBodyBytes;
    Set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(BodyLimit));
    TSlistPtr headers;
    for (const auto& [name, value] : AHeaders) {
        // "Name:" without a value removes a header libcurl would add itself.
        const std::string line = value.empty() ? name + ":" : name + ": " + value;
        curl_slist* extended = curl_slist_append(headers.get(), line.c_str());
        if (extended == nullptr) throw Exception("Out of memory building the request headers");
        (void)headers.release();
        headers.reset(extended);
    }
    Set(CURLOPT_URL, AUrl.c_str());
    Set(CURLOPT_HTTPHEADER, headers.get());
    BoundThisRequest();

    Response = THttpResponse();
    BodySink = ABodySink;
    BodyTooLarge = false;
    BodyNotKept = false;
    ErrorBuffer[0] = '\0';
    const auto started = std::chrono::steady_clock::now();
    const CURLcode code = curl_easy_perform(Handle.get());
    const auto elapsed = std::chrono::steady_clock::now() - started;
    // The handle keeps a pointer to the list: detach it before the list goes.
    Set(CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));
    if (code != CURLE_OK) throw Exception(TransportMessage(code, elapsed));

    Get(CURLINFO_RESPONSE_CODE, &Response.StatusCode);
    const char* contentType = nullptr;
    Get(CURLINFO_CONTENT_TYPE, &contentType);
    if (contentType != nullptr) Response.ContentType = contentType;
    return std::move(Response);
}

THttpClient::THttpClient(const std::string& ACaFile, const THttpLimits& ALimits) : FImpl(std::make_unique<TImpl>())
{
    EnsureCurlGlobalInit();
    FImpl->Limits = ALimits;
    if (!ACaFile.empty()) FImpl->ExtraCa.emplace(ACaFile);
    FImpl->Handle.reset(curl_easy_init());
    if (!FImpl->Handle) throw Exception("libcurl could not create a handle");
    FImpl->SetCommonOptions();
}

THttpClient::~THttpClient() = default;
THttpClient::THttpClient(THttpClient&&) noexcept = default;
THttpClient& THttpClient::operator=(THttpClient&&) noexcept = default;

THttpResponse THttpClient::Get(const std::string& AUrl, const THeaders& AHeaders, std::size_t AMaxBodyBytes)
{
    FImpl->Set(CURLOPT_HTTPGET, 1L);
    return FImpl->Perform(AUrl, AHeaders, nullptr, AMaxBodyBytes);
}

THttpResponse THttpClient::Post(const std::string& AUrl, const THeaders& AHeaders, std::string_view ABody,
                                THttpBodySink* ABodySink)
{
    // The body goes through a read callback that cannot rewind: when a reused
    // connection dies after the request went out, libcurl would silently post
    // it again on a new one (with POSTFIELDS it can). A label request sent
    // twice may be charged twice, so that retry must fail instead.
    FImpl->Set(CURLOPT_POST, 1L);
    FImpl->Set(CURLOPT_POSTFIELDS, static_cast<const char*>(nullptr));
    FImpl->Set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(ABody.size()));
    FImpl->Set(CURLOPT_READFUNCTION, &TImpl::OnRead);
    FImpl->Set(CURLOPT_READDATA, FImpl.get());
    FImpl->Upload = ABody;
    // Without this libcurl sends "Expect: 100-continue" for large bodies and
    // waits for an interim answer the service may never send.
    THeaders headers = AHeaders;
    headers.emplace_back("Expect", "");
    return FImpl->Perform(AUrl, headers, ABodySink);
}

void THttpClient::Connect(const std::string& AUrl)
{
    FImpl->Set(CURLOPT_CONNECT_ONLY, 1L);
    FImpl->Set(CURLOPT_URL, AUrl.c_str());
    FImpl->BoundThisRequest();
    FImpl->ErrorBuffer[0] = '\0';
    FImpl->BodySink = nullptr;
    FImpl->BodyLimit = FImpl->Limits.MaxBodyBytes;
    FImpl->BodyTooLarge = false;
    FImpl->BodyNotKept = false;
    const auto started = std::chrono::steady_clock::now();
    const CURLcode code = curl_easy_perform(FImpl->Handle.get());
    const auto elapsed = std::chrono::steady_clock::now() - started;
    // Later requests of this client are whole requests again.
    FImpl->Set(CURLOPT_CONNECT_ONLY, 0L);
    if (code != CURLE_OK) throw Exception(FImpl->TransportMessage(code, elapsed));
}

}  // namespace qorita::http
