#pragma once

// Stand-in for the WinINet GET: one HTTP request as the client has always made it.

#include <string>

#include "platform/seam.h"

namespace lxtv::platform {

// Outcome of one HTTP GET. `complete` is true only for a 2xx answer whose body arrived whole.
// Why it is not complete stays inside: `transferCode` (libcurl's code, 0 when the transfer
// ended normally) and `status` say it for tests and the debug line.
struct Download {
    bool complete = false;
    long status = 0;       // HTTP status, 0 when no answer came
    int transferCode = 0;  // CURLcode of the transfer
    std::string body;      // the bytes that arrived (also of an error answer or a broken transfer)
};

// A short account of the outcome ("complete", "HTTP 404", "transfer: Timeout was reached").
std::string describe(const Download& download);

// GET `address` as the client always has (HTTP/1.0, its agent string, "Accept: */*", no cache,
// proxy from the environment), with connect and no-data time-outs.
Download downloadBody(const std::string& address);

// How long a download may wait: for the connection, and for the next byte.
struct DownloadTimeouts {
    long connectSeconds = 60;
    long idleSeconds = 60;
};
// Tests shorten them; not a user setting.
extern Seam<DownloadTimeouts()> downloadTimeouts;

}  // namespace lxtv::platform
