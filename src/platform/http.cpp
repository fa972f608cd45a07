#include "platform/http.h"

#include <curl/curl.h>

#include <mutex>

namespace lxtv::platform {
namespace {

// The agent string and headers the provider's site has always seen from the client.
constexpr char userAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// One easy handle for the process, like the one internet handle the client always kept: it
// keeps its connection and DNS caches between downloads. The mutex serialises downloads; they
// come from the window thread, but tests may call from anywhere.
std::mutex handleMutex;
CURL* sharedHandle() {
    static CURL* handle = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        return curl_easy_init();
    }();
    return handle;
}

size_t appendBody(char* data, size_t size, size_t count, void* userdata) {
    static_cast<std::string*>(userdata)->append(data, size * count);
    return size * count;
}

}  // namespace

Seam<DownloadTimeouts()> downloadTimeouts([] { return DownloadTimeouts{}; });

std::string describe(const Download& d) {
    if (d.complete) return "complete";
    if (d.transferCode != CURLE_OK)
        return std::string("transfer: ") +
               curl_easy_strerror(static_cast<CURLcode>(d.transferCode));
    if (d.status < 200 || d.status >= 300) return "HTTP " + std::to_string(d.status);
    return "body shorter than announced (" + std::to_string(d.body.size()) + " bytes)";
}

Download downloadBody(const std::string& address) {
    Download result;
    if (address.empty()) return result;

    std::lock_guard<std::mutex> lock(handleMutex);
    CURL* curl = sharedHandle();
    if (!curl) return result;
    curl_easy_reset(curl);

    curl_slist* headers = nullptr;
    // Our own Accept replaces libcurl's, so exactly one is sent; the no-cache pair asks any
    // cache on the way for a fresh copy, as a reload always did.
    headers = curl_slist_append(headers, "Accept: */*");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    headers = curl_slist_append(headers, "Cache-Control: no-cache");

    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    // Only the web's own schemes: an address never reads a local file or another service.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    // Proxy: libcurl takes http_proxy, https_proxy and no_proxy from the environment by itself.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    const DownloadTimeouts timeouts = downloadTimeouts();
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, timeouts.connectSeconds);
    // No byte for this long ends the transfer: a stalled server cannot hang the window.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, timeouts.idleSeconds);
    // The client once sized its reads from Content-Length (that length + 1, at most 102,400
    // bytes, else 10,240 at a time). The read size changes nothing that can be seen beyond
    // getting the whole body, which libcurl's own buffering does, so it is not reproduced.
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t announced = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
    curl_slist_free_all(headers);

    result.status = status;
    result.transferCode = static_cast<int>(code);
    // Whole means libcurl saw the transfer end normally (it reports a short body against a
    // known length as an error) and, when a length was announced, all of it is here.
    result.complete = code == CURLE_OK && status >= 200 && status < 300 &&
                      (announced < 0 || static_cast<curl_off_t>(result.body.size()) == announced);
    return result;
}

}  // namespace lxtv::platform
