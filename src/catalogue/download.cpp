#include "catalogue/download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>

#include "app/app_state.h"
#include "browser/site.h"
#include "build_config.h"

namespace lxtv::catalogue {
namespace {

// The agent string and headers the provider's site has always seen from the client.
constexpr char userAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

std::atomic<long> connectTimeout{60};
std::atomic<long> idleTimeout{60};

std::mutex sourceMutex;
std::string siteBaseOverride;
std::string localPathOverride;

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

bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

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
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connectTimeout.load());
    // No byte for this long ends the transfer: a stalled server cannot hang the window.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, idleTimeout.load());
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
    // Whole means libcurl saw the transfer end normally (it reports a short body against a
    // known length as an error) and, when a length was announced, all of it is here.
    result.complete = code == CURLE_OK && status >= 200 && status < 300 &&
                      (announced < 0 || static_cast<curl_off_t>(result.body.size()) == announced);
    return result;
}

bool writeFileBytes(const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return false;

    // A copy that could not be opened for writing keeps its content: renaming over it would get
    // round its own protection.
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) return false;

    // The temporary file sits in the same folder so the rename is atomic.
    std::string temp =
        (slash == std::string::npos ? std::string() : folder) + "." + name + ".part-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;

    // mkstemp makes the file private; give it the mode the old copy had, or a plain file's.
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here does not undo the write.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool fetchCatalogue() {
    std::string address, path;
    {
        std::lock_guard<std::mutex> lock(sourceMutex);
        address =
            (siteBaseOverride.empty() ? std::string(config::ProviderSite) : siteBaseOverride) +
            browser::cataloguePath;
        path = localPathOverride.empty() ? app::runDirectory() + "/LXTV.ini" : localPathOverride;
    }
    const Download download = downloadBody(address);
    // A failed or partial download keeps the previous copy: an empty or cut catalogue would
    // leave the viewer with fewer channels than before.
    if (!download.complete) return false;
    return writeFileBytes(path, download.body);
}

void setDownloadTimeoutsForTesting(long connectSeconds, long idleSeconds) {
    connectTimeout = connectSeconds;
    idleTimeout = idleSeconds;
}

void setCatalogueSourceForTesting(const std::string& siteBase, const std::string& localPath) {
    std::lock_guard<std::mutex> lock(sourceMutex);
    siteBaseOverride = siteBase;
    localPathOverride = localPath;
}

}  // namespace lxtv::catalogue
