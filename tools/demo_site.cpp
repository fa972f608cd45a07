// The demo provider site: a small HTTP server on 127.0.0.1 that serves the catalogue and the
// pages the client opens, keeps a request log, and can misbehave on purpose for the tests.
//
//   lxtv_demo_site [--root DIR] [--port N] [--port-file F] [--log F] [--header-log F]
//                  [--fault MODE]
//
// Any file of the site can also be had late: GET /slow/MS/PATH answers after MS milliseconds.
//
// Fault modes act on /LXTV.ini only (the pages stay usable); switch them at run time with
// GET /__fault/MODE. See usage() for the list.

#include <httplib.h>
#include <iconv.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#ifndef LXTV_DEMO_SITE_ROOT
#define LXTV_DEMO_SITE_ROOT "site"
#endif

namespace {

enum class Fault { none, status, truncate, nolength, stall, large, empty, endless, trickle };

const char* const faultNames[] = {"none",  "status", "truncate", "nolength", "stall",
                                  "large", "empty",  "endless",  "trickle"};

bool parseFault(const std::string& name, Fault& out) {
    for (int i = 0; i < static_cast<int>(std::size(faultNames)); ++i) {
        if (name == faultNames[i]) {
            out = static_cast<Fault>(i);
            return true;
        }
    }
    return false;
}

std::atomic<Fault> currentFault{Fault::none};
std::atomic<bool> stopping{false};

// One line or block per request, flushed at once so a reader sees it while the server runs.
class LogFile {
  public:
    bool open(const std::string& path) {
        file_ = std::fopen(path.c_str(), "ab");
        return file_ != nullptr;
    }
    void write(const std::string& text) {
        if (!file_) return;
        std::lock_guard<std::mutex> lock(mutex_);
        std::fwrite(text.data(), 1, text.size(), file_);
        std::fflush(file_);
    }

  private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
};

LogFile requestLog;
LogFile headerLog;

std::string root = LXTV_DEMO_SITE_ROOT;

bool readFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string htmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Converts `bytes` from `from` to UTF-8; a sequence that does not convert becomes U+FFFD and the
// walk goes on one byte later, so whatever arrived is shown.
std::string toUtf8(const std::string& bytes, const char* from) {
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return "?";
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr - buffer);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            out += "\xEF\xBF\xBD";
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%XX" becomes its byte; everything else, "+" included, stays as it came.
std::string percentDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// Puts `text` where a page template has `marker`.
void replaceMarker(std::string& page, const std::string& marker, const std::string& text) {
    const auto at = page.find(marker);
    if (at != std::string::npos) page.replace(at, marker.size(), text);
}

std::string hexBytes(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string contentType(const std::string& path) {
    const auto dot = path.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    if (ext == "html") return "text/html; charset=utf-8";
    if (ext == "css") return "text/css; charset=utf-8";
    if (ext == "js") return "text/javascript; charset=utf-8";
    if (ext == "mp4") return "video/mp4";
    if (ext == "m3u8") return "application/vnd.apple.mpegurl";
    if (ext == "ts") return "video/mp2t";
    if (ext == "flv") return "video/x-flv";
    if (ext == "gz") return "application/gzip";
    if (ext == "ini") return "text/plain; charset=gbk";
    if (ext == "gif") return "image/gif";
    if (ext == "png") return "image/png";
    return "application/octet-stream";
}

void notFound(httplib::Response& res) {
    res.status = 404;
    res.set_content(
        "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>404 "
        "找不到页面</title></head><body><h1>404 Not Found</h1><p>您访问的页面不存在。</p>"
        "</body></html>\n",
        "text/html; charset=utf-8");
}

// Serves a file of the site folder; the path must stay inside it.
void serveFile(const std::string& rel, httplib::Response& res) {
    if (rel.empty() || rel.find("..") != std::string::npos || rel[0] == '/') return notFound(res);
    std::string body;
    if (!readFile(root + "/" + rel, body)) return notFound(res);
    // Pages are fetched anew on every visit, history steps included, so the request log shows
    // each page the client shows.
    if (rel.ends_with(".html")) res.set_header("Cache-Control", "no-store");
    res.set_content(body, contentType(rel).c_str());
}

// 10,000 categories of 20 channels; every category's list of key names fits in 256 bytes
// (20 names of 5 bytes each plus their zero bytes), so the client lists all of them. The
// addresses cycle through the real channel pages. Built once; the same bytes every time.
const std::string& largeCatalogue() {
    static const std::string text = [] {
        std::string out = "[config]\r\n\xD7\xEE\xB4\xF3\xBB\xAF=1\r\n";  // 最大化=1
        char line[128];
        int channel = 0;
        for (int c = 1; c <= 10000; ++c) {
            std::snprintf(line, sizeof line, "[\xB7\xD6\xC0\xE0%05d]\r\n", c);  // 分类NNNNN
            out += line;
            for (int k = 1; k <= 20; ++k) {
                const int kind = (k == 1 && c % 100 == 1) ? 2 : 1;
                std::snprintf(line, sizeof line,
                              "\xCC\xA8%02d=%d|http://127.0.0.1:8168/channel/%d.html\r\n", k, kind,
                              channel % 36 + 1);  // 台NN
                out += line;
                ++channel;
            }
        }
        return out;
    }();
    return text;
}

// Waits until the stall should end: the server stops, the fault mode changes, or ten minutes
// pass. Sleeping in short steps keeps shutdown prompt.
void stallWhileWanted() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(10);
    while (!stopping && currentFault == Fault::stall && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

// Sends the catalogue two bytes a second, announced whole, until the server stops, the fault
// mode changes (then the rest goes at once and the answer is complete) or ten minutes pass.
bool trickle(const std::string& body, httplib::DataSink& sink) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(10);
    size_t sent = 0;
    while (sent < body.size() && !stopping && std::chrono::steady_clock::now() < until) {
        if (currentFault != Fault::trickle) {
            sink.write(body.data() + sent, body.size() - sent);
            return true;
        }
        const size_t step = std::min<size_t>(2, body.size() - sent);
        if (!sink.write(body.data() + sent, step)) return false;
        sent += step;
        for (int i = 0; i < 20 && currentFault == Fault::trickle && !stopping; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return sent == body.size();
}

void serveCatalogue(httplib::Response& res) {
    const Fault fault = currentFault;
    if (fault == Fault::status) {
        res.status = 404;
        res.set_content(
            "<!DOCTYPE html><html><head><title>404 Not Found</title></head><body>"
            "<h1>Not Found</h1><p>The requested URL /LXTV.ini was not found on this server.</p>"
            "</body></html>\n",
            "text/html");
        return;
    }
    if (fault == Fault::empty) {
        res.set_content("", "text/plain; charset=gbk");
        return;
    }
    std::string body;
    if (fault == Fault::large) {
        body = largeCatalogue();
    } else if (!readFile(root + "/LXTV.ini", body)) {
        return notFound(res);
    }
    const auto shared = std::make_shared<std::string>(std::move(body));
    const char* type = "text/plain; charset=gbk";
    switch (fault) {
        case Fault::truncate:
            // Announces the whole length, sends half, and gives up: the connection closes.
            res.set_content_provider(shared->size(), type,
                                     [shared](size_t, size_t, httplib::DataSink& sink) {
                                         sink.write(shared->data(), shared->size() / 2);
                                         return false;
                                     });
            return;
        case Fault::nolength:
            // No Content-Length: the end of the body is the end of the connection.
            res.set_content_provider(type, [shared](size_t offset, httplib::DataSink& sink) {
                const size_t step = std::min<size_t>(4096, shared->size() - offset);
                if (step > 0) sink.write(shared->data() + offset, step);
                if (offset + step >= shared->size()) sink.done();
                return true;
            });
            return;
        case Fault::endless:
            // No Content-Length and no end: the catalogue again and again, as fast as the client
            // takes it, until the server stops or the fault mode changes (then the body ends).
            {
                auto block = std::make_shared<std::string>();
                while (block->size() < 65536) *block += shared->empty() ? "x" : *shared;
                res.set_content_provider(type, [block](size_t, httplib::DataSink& sink) {
                    if (stopping || currentFault != Fault::endless) {
                        sink.done();
                        return true;
                    }
                    return sink.write(block->data(), block->size());
                });
            }
            return;
        case Fault::trickle:
            res.set_content_provider(shared->size(), type,
                                     [shared](size_t, size_t, httplib::DataSink& sink) {
                                         return trickle(*shared, sink);
                                     });
            return;
        case Fault::stall:
            res.set_content_provider(
                shared->size(), type, [shared](size_t, size_t, httplib::DataSink& sink) {
                    sink.write(shared->data(), std::min<size_t>(16, shared->size()));
                    stallWhileWanted();
                    return false;
                });
            return;
        default:
            res.set_content(*shared, type);
    }
}

// The member pages' one account, as HTTP basic authentication sends it ("viewer:secret").
const char* const memberCredentials = "Basic dmlld2VyOnNlY3JldA==";

// Serves a file of the site folder slowly (8 KiB every quarter second), or breaks off after
// half of it, for downloads that can be watched, cancelled or seen to fail.
void serveFileSlowly(const std::string& rel, bool breakHalfway, httplib::Response& res) {
    std::string body;
    if (rel.find("..") != std::string::npos || !readFile(root + "/" + rel, body))
        return notFound(res);
    const auto shared = std::make_shared<std::string>(std::move(body));
    res.set_content_provider(
        shared->size(), contentType(rel).c_str(),
        [shared, breakHalfway](size_t offset, size_t, httplib::DataSink& sink) {
            if (breakHalfway && offset >= shared->size() / 2) return false;
            if (!breakHalfway) {
                for (int i = 0; i < 5 && !stopping; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            if (stopping) return false;
            const size_t step = std::min<size_t>(8192, shared->size() - offset);
            return sink.write(shared->data() + offset, step);
        });
}

void usage() {
    std::fprintf(stderr,
                 "usage: lxtv_demo_site [--root DIR] [--port N] [--port-file F] [--log F]\n"
                 "                      [--header-log F] [--fault MODE]\n"
                 "  --root DIR        site folder (default %s)\n"
                 "  --port N          port on 127.0.0.1 (default 8168; 0 picks a free one)\n"
                 "  --port-file F     write the bound port to F once listening\n"
                 "  --log F           append \"METHOD TARGET\" per request, target as received\n"
                 "  --header-log F    append each request line and its headers, then a blank "
                 "line\n"
                 "  --fault MODE      none | status | truncate | nolength | stall | large | "
                 "empty\n"
                 "                    | endless | trickle\n"
                 "                    (acts on /LXTV.ini; GET /__fault/MODE switches it)\n"
                 "  GET /slow/MS/PATH serves PATH after MS milliseconds (at most 10,000)\n",
                 LXTV_DEMO_SITE_ROOT);
}

}  // namespace

int main(int argc, char** argv) {
    int port = 8168;
    std::string portFile, logPath, headerLogPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            usage();
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--root") {
            root = value;
        } else if (arg == "--port") {
            port = std::atoi(value.c_str());
        } else if (arg == "--port-file") {
            portFile = value;
        } else if (arg == "--log") {
            logPath = value;
        } else if (arg == "--header-log") {
            headerLogPath = value;
        } else if (arg == "--fault") {
            Fault fault;
            if (!parseFault(value, fault)) {
                usage();
                return 2;
            }
            currentFault = fault;
        } else {
            usage();
            return 2;
        }
    }
    if ((!logPath.empty() && !requestLog.open(logPath)) ||
        (!headerLogPath.empty() && !headerLog.open(headerLogPath))) {
        std::perror("lxtv_demo_site: log");
        return 1;
    }

    // Signals are taken by one thread that stops the server; the others never see them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    httplib::Server server;
    // Stalled answers hold a worker each; keep plenty so they never starve other requests.
    server.new_task_queue = [] { return new httplib::ThreadPool(64); };
    // Idle keep-alive connections of a browser hold shutdown for at most this long.
    server.set_keep_alive_timeout(2);

    server.set_pre_routing_handler([](const httplib::Request& req, httplib::Response&) {
        requestLog.write(req.method + " " + req.target + "\n");
        std::string block = req.method + " " + req.target + " " + req.version + "\n";
        for (const auto& [name, value] : req.headers) {
            // The library adds the peer's and its own address as pseudo-headers.
            if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
                name == "LOCAL_PORT")
                continue;
            block += name + ": " + value + "\n";
        }
        headerLog.write(block + "\n");
        return httplib::Server::HandlerResponse::Unhandled;
    });

    server.Get(R"(/__fault/([a-z]+))", [](const httplib::Request& req, httplib::Response& res) {
        Fault fault;
        if (!parseFault(req.matches[1], fault)) {
            res.status = 400;
            res.set_content("unknown fault mode\n", "text/plain");
            return;
        }
        currentFault = fault;
        res.set_content("fault " + std::string(req.matches[1]) + "\n", "text/plain");
    });
    server.Get("/LXTV.ini",
               [](const httplib::Request&, httplib::Response& res) { serveCatalogue(res); });
    server.Get(
        "/", [](const httplib::Request&, httplib::Response& res) { serveFile("index.html", res); });
    server.Get("/listbytype.asp", [](const httplib::Request& req, httplib::Response& res) {
        const std::string ranks = req.get_param_value("ranks");
        if (req.get_param_value("type_id") != "20" ||
            (ranks != "1" && ranks != "2" && ranks != "3"))
            return notFound(res);
        serveFile("listbytype-" + ranks + ".html", res);
    });
    server.Get("/news.asp", [](const httplib::Request& req, httplib::Response& res) {
        const std::string id = req.get_param_value("id");
        if (id != "2" && id != "3") return notFound(res);
        serveFile("news-" + id + ".html", res);
    });
    server.Get("/Gbook.asp", [](const httplib::Request&, httplib::Response& res) {
        serveFile("gbook.html", res);
    });
    server.Get("/search.asp", [](const httplib::Request& req, httplib::Response& res) {
        // The client appends the keyword unescaped at the end of the address, so everything
        // after "keyword=" in the raw target is the keyword, "&" and all.
        std::string raw;
        const auto q = req.target.find('?');
        if (q != std::string::npos) {
            const std::string query = req.target.substr(q + 1);
            const std::string key = "keyword=";
            size_t at = std::string::npos;
            for (size_t p = 0; p != std::string::npos && p < query.size();) {
                if (query.compare(p, key.size(), key) == 0) {
                    at = p + key.size();
                    break;
                }
                p = query.find('&', p);
                if (p != std::string::npos) ++p;
            }
            if (at != std::string::npos) raw = query.substr(at);
        }
        const std::string bytes = percentDecode(raw);
        std::string page;
        if (!readFile(root + "/search.html", page)) return notFound(res);
        replaceMarker(page, "{{KEYWORD_GBK}}", htmlEscape(toUtf8(bytes, "GBK")));
        replaceMarker(page, "{{KEYWORD_UTF8}}", htmlEscape(toUtf8(bytes, "UTF-8")));
        replaceMarker(page, "{{KEYWORD_HEX}}", hexBytes(bytes));
        res.set_header("Cache-Control", "no-store");
        res.set_content(page, "text/html; charset=utf-8");
    });
    // A channel page named in its address: the path arrives as UTF-8, the query's name as the
    // code page 936 bytes the client sends; the page shows what arrived.
    server.Get(R"(/频道/[^/]+\.html)", [](const httplib::Request& req, httplib::Response& res) {
        std::string raw;
        const auto q = req.target.find('?');
        if (q != std::string::npos) {
            const std::string query = "&" + req.target.substr(q + 1);
            const auto at = query.find("&name=");
            if (at != std::string::npos) {
                const auto from = at + 6;
                raw = query.substr(from, query.find('&', from) - from);
            }
        }
        const std::string bytes = percentDecode(raw);
        std::string page;
        if (!readFile(root + "/named-channel.html", page)) return notFound(res);
        replaceMarker(page, "{{NAME_GBK}}", htmlEscape(toUtf8(bytes, "GBK")));
        replaceMarker(page, "{{NAME_HEX}}", hexBytes(bytes));
        res.set_header("Cache-Control", "no-store");
        res.set_content(page, "text/html; charset=utf-8");
    });
    // The players' reports of where they are; the request log is what matters.
    server.Get("/__play", [](const httplib::Request&, httplib::Response& res) {
        res.status = 204;
        res.set_header("Cache-Control", "no-store");
    });
    // Behind HTTP basic authentication; once let in, the site keeps the member signed in with a
    // cookie for thirty days.
    server.Get("/member/index.html", [](const httplib::Request& req, httplib::Response& res) {
        if (req.get_header_value("Authorization") != memberCredentials) {
            res.status = 401;
            res.set_header("WWW-Authenticate", "Basic realm=\"LXTV members\"");
            res.set_content(
                "<!DOCTYPE html><html><body><h1>401</h1><p>请先登录。</p></body></html>\n",
                "text/html; charset=utf-8");
            return;
        }
        res.set_header("Set-Cookie", "lxtv_member=viewer; Max-Age=2592000; Path=/");
        serveFile("member.html", res);
    });
    server.Get(R"(/files/(slow|broken)/([A-Za-z0-9._-]+))", [](const httplib::Request& req,
                                                               httplib::Response& res) {
        serveFileSlowly("files/" + std::string(req.matches[2]), req.matches[1] == "broken", res);
    });
    // "/slow/MS/PATH" serves PATH as its own address would, MS milliseconds late (at most ten
    // seconds): a slow part of a page, such as a picture on the loading page.
    server.Get(R"(/slow/(\d{1,5})/([a-z0-9/._-]+))", [](const httplib::Request& req,
                                                        httplib::Response& res) {
        const long ms = std::min(std::atol(req.matches[1].str().c_str()), 10'000L);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!stopping && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        serveFile(req.matches[2], res);
    });
    server.Get(
        R"(/(style\.css|loading\.html|popup\.html|alerts\.html|player\.js|channel/\d+\.html|maker/[a-z]+\.html|media/[a-z0-9/]+\.(mp4|flv|m3u8|ts)|vendor/[A-Za-z.-]+\.js|files/[A-Za-z0-9._-]+))",
        [](const httplib::Request& req, httplib::Response& res) {
            serveFile(req.matches[1], res);
        });
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.status == 404 && res.body.empty()) notFound(res);
    });

    int bound = port;
    if (port == 0) {
        bound = server.bind_to_any_port("127.0.0.1");
        if (bound < 0) bound = 0;
    } else if (!server.bind_to_port("127.0.0.1", port)) {
        bound = 0;
    }
    if (bound <= 0) {
        std::fprintf(stderr, "lxtv_demo_site: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    if (!portFile.empty()) {
        // Written whole under another name first, so a reader never sees half a number.
        const std::string temp = portFile + ".part";
        std::FILE* f = std::fopen(temp.c_str(), "wb");
        if (!f || std::fprintf(f, "%d\n", bound) < 0 || std::fclose(f) != 0 ||
            std::rename(temp.c_str(), portFile.c_str()) != 0) {
            std::perror("lxtv_demo_site: port file");
            return 1;
        }
    }
    std::fprintf(stderr, "lxtv_demo_site: serving %s on http://127.0.0.1:%d/\n", root.c_str(),
                 bound);

    std::atomic<bool> finished{false};
    std::thread signalThread([&] {
        int sig = 0;
        sigwait(&signals, &sig);
        stopping = true;
        // stop() only acts once listening has begun; repeat until the listen loop has left.
        while (!finished) {
            server.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    server.listen_after_bind();
    finished = true;
    if (!stopping) {
        stopping = true;
        pthread_kill(signalThread.native_handle(), SIGTERM);
    }
    signalThread.join();
    return 0;
}
