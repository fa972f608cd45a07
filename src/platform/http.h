#pragma once

// Stand-in for the WinINet GET: one HTTP request as the client has always made it.

#include <cstddef>
#include <string>

#include "platform/seam.h"

namespace lxtv::platform {

// Why a transfer was given up by the client's own limits (DownloadLimits below).
enum class Abandoned {
    no,
    tooLarge,  // the body outgrew maxBodyBytes; what had arrived is dropped
    tooSlow,   // fewer than slowWindowBytes arrived in slowWindowSeconds
    tooLong,   // still running after totalSeconds
};

// Outcome of one HTTP GET. `complete` is true only for a 2xx answer whose body arrived whole.
// Why it is not complete stays inside: `transferCode` (libcurl's code, 0 when the transfer
// ended normally), `status` and `abandoned` say it for tests and the debug line.
struct Download {
    bool complete = false;
    long status = 0;       // HTTP status, 0 when no answer came
    int transferCode = 0;  // CURLcode of the transfer
    Abandoned abandoned = Abandoned::no;
    std::string body;  // the bytes that arrived (also of an error answer or a broken transfer)
};

// A short account of the outcome ("complete", "HTTP 404", "transfer: Timeout was reached",
// "abandoned: ...").
std::string describe(const Download& download);

// GET `address` as the client always has (HTTP/1.0, its agent string, "Accept: */*", no cache,
// proxy from the environment), within the limits below: whatever the server does, a download
// ends in bounded time with a bounded body.
Download downloadBody(const std::string& address);

// The bounds of one download. The server decides how long and how large an answer is, so each
// has a limit; a transfer past one is abandoned and counts as failed.
struct DownloadLimits {
    long connectSeconds = 60;
    // A transfer that brings fewer than slowWindowBytes in any slowWindowSeconds (counted from
    // the request's start) is given up: a trickle of a few bytes a second would otherwise hold
    // start-up for as long as the server likes.
    long slowWindowSeconds = 30;
    long slowWindowBytes = 1024;
    long totalSeconds = 600;
    // The bundled 200,000-channel catalogue is about 10 MB.
    std::size_t maxBodyBytes = std::size_t{64} << 20;
};
// Tests shorten them; not a user setting.
extern Seam<DownloadLimits()> downloadLimits;

}  // namespace lxtv::platform
