#include "platform/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <deque>
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

using Clock = std::chrono::steady_clock;

// What one transfer has gathered and how it is paced, for libcurl's callbacks.
struct Transfer {
    std::string* body = nullptr;
    std::size_t maxBody = 0;
    Clock::time_point start;
    Clock::duration window{};
    curl_off_t windowBytes = 0;
    Clock::duration total{};
    Abandoned abandoned = Abandoned::no;
    // (time, bytes so far) as the progress callback saw them; the first is the last one at or
    // before the start of the current window, so the bytes of the window are known.
    std::deque<std::pair<Clock::time_point, curl_off_t>> samples;
};

size_t appendBody(char* data, size_t size, size_t count, void* userdata) {
    auto& t = *static_cast<Transfer*>(userdata);
    const std::size_t n = size * count;
    std::string& body = *t.body;
    if (n > t.maxBody - body.size()) {
        t.abandoned = Abandoned::tooLarge;
        return 0;  // libcurl ends the transfer with a write error
    }
    // Grow by doubling, but never past the limit: a body near the limit must not reserve twice
    // its size.
    if (body.size() + n > body.capacity())
        body.reserve(std::min(t.maxBody, std::max(body.size() + n, 2 * body.capacity())));
    body.append(data, n);
    return n;
}

// Called by libcurl at least once a second, data or not; a non-zero answer ends the transfer.
int checkPace(void* userdata, curl_off_t, curl_off_t got, curl_off_t, curl_off_t) {
    auto& t = *static_cast<Transfer*>(userdata);
    const Clock::time_point now = Clock::now();
    if (now - t.start >= t.total) {
        t.abandoned = Abandoned::tooLong;
        return 1;
    }
    if (t.samples.empty() || t.samples.back().second != got ||
        now - t.samples.back().first >= std::chrono::milliseconds(100))
        t.samples.emplace_back(now, got);
    const Clock::time_point windowStart = now - t.window;
    while (t.samples.size() >= 2 && t.samples[1].first <= windowStart) t.samples.pop_front();
    if (now - t.start < t.window) return 0;
    // With no sample that old the window reaches back to the start, when nothing had arrived.
    const curl_off_t before = t.samples.front().first <= windowStart ? t.samples.front().second : 0;
    if (got - before < t.windowBytes) {
        t.abandoned = Abandoned::tooSlow;
        return 1;
    }
    return 0;
}

}  // namespace

Seam<DownloadLimits()> downloadLimits([] { return DownloadLimits{}; });

std::string describe(const Download& d) {
    if (d.complete) return "complete";
    const DownloadLimits limits = downloadLimits();
    switch (d.abandoned) {
        case Abandoned::tooLarge:
            return "abandoned: body over " + std::to_string(limits.maxBodyBytes) + " bytes";
        case Abandoned::tooSlow:
            return "abandoned: fewer than " + std::to_string(limits.slowWindowBytes) +
                   " bytes in " + std::to_string(limits.slowWindowSeconds) + " s";
        case Abandoned::tooLong:
            return "abandoned: still running after " + std::to_string(limits.totalSeconds) + " s";
        case Abandoned::no:
            break;
    }
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
    const DownloadLimits limits = downloadLimits();
    Transfer transfer;
    transfer.body = &result.body;
    transfer.maxBody = limits.maxBodyBytes;
    transfer.start = Clock::now();
    transfer.window = std::chrono::seconds(limits.slowWindowSeconds);
    transfer.windowBytes = limits.slowWindowBytes;
    transfer.total = std::chrono::seconds(limits.totalSeconds);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
    // The pace and the running time are checked by our own progress callback, which knows the
    // exact rule; libcurl's overall time-out stays behind it in case the callback is not reached.
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkPace);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, limits.totalSeconds + 5);
    // An announced length over the limit ends the transfer before any of the body is read.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBodyBytes));
    // The client once sized its reads from Content-Length (that length + 1, at most 102,400
    // bytes, else 10,240 at a time). The read size changes nothing that can be seen beyond
    // getting the whole body, which libcurl's own buffering does, so it is not reproduced.
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t announced = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, nullptr);
    curl_slist_free_all(headers);

    result.status = status;
    result.transferCode = static_cast<int>(code);
    result.abandoned = transfer.abandoned;
    if (code == CURLE_FILESIZE_EXCEEDED) result.abandoned = Abandoned::tooLarge;
    if (code == CURLE_OPERATION_TIMEDOUT && Clock::now() - transfer.start >= transfer.total)
        result.abandoned = Abandoned::tooLong;
    // An oversized body is nobody's catalogue: its memory goes back at once.
    if (result.abandoned == Abandoned::tooLarge) std::string().swap(result.body);
    // Whole means libcurl saw the transfer end normally (it reports a short body against a
    // known length as an error) and, when a length was announced, all of it is here.
    result.complete = code == CURLE_OK && result.abandoned == Abandoned::no && status >= 200 &&
                      status < 300 &&
                      (announced < 0 || static_cast<curl_off_t>(result.body.size()) == announced);
    return result;
}

}  // namespace lxtv::platform
