#include "labelservice/http/CurlGlobal.h"

#include "common/Exception.h"

#include <curl/curl.h>

#include <mutex>

namespace qorita::http {

void EnsureCurlGlobalInit()
{
    // curl_global_cleanup is left to process exit: other handles may still be
    // alive in static objects, and the OS reclaims everything anyway.
    static std::once_flag once;
    static CURLcode code = CURLE_OK;
    std::call_once(once, [] { code = curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (code != CURLE_OK) throw Exception(Format("libcurl initialisation failed: %s", curl_easy_strerror(code)));
}

}  // namespace qorita::http
