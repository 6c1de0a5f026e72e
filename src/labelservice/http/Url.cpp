#include "labelservice/http/Url.h"

#include "common/Exception.h"
#include "common/Text.h"
#include "labelservice/http/CurlGlobal.h"

#include <curl/curl.h>

#include <memory>

namespace qorita::http {

namespace {

struct TUrlFree {
    void operator()(CURLU* AUrl) const noexcept { curl_url_cleanup(AUrl); }
};

}  // namespace

std::string ResolveUrl(const std::string& ABase, const std::string& ARelative)
{
    EnsureCurlGlobalInit();
    std::unique_ptr<CURLU, TUrlFree> url(curl_url());
    if (!url) throw Exception("Out of memory parsing a URL");
    CURLUcode code = curl_url_set(url.get(), CURLUPART_URL, ABase.c_str(), 0);
    // Setting a relative URL on a handle that holds an absolute one resolves it.
    if (code == CURLUE_OK) code = curl_url_set(url.get(), CURLUPART_URL, ARelative.c_str(), 0);
    char* text = nullptr;
    if (code == CURLUE_OK) code = curl_url_get(url.get(), CURLUPART_URL, &text, 0);
    if (code != CURLUE_OK) throw Exception(Format("Invalid URL '%s': %s", ARelative.c_str(), curl_url_strerror(code)));
    std::string result(text);
    curl_free(text);
    return result;
}

bool IsHttpUrl(const std::string& ALocation)
{
    return StartsWithNoCase(ALocation, "http://") || StartsWithNoCase(ALocation, "https://");
}

bool IsHttpsUrl(const std::string& ALocation) { return StartsWithNoCase(ALocation, "https://"); }

}  // namespace qorita::http
