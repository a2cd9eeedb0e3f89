// Downloads over HTTP and HTTPS with libcurl: the system's certificates and proxy variables,
// timeouts, a few retries with back-off, conditional requests, a size limit, and gzip undone.
// Nothing here touches a file: the caller checks what arrived and writes it through the safe path.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

struct DownloadRequest {
    std::string url;
    // From the last download of the same address; a match gives NotModified.
    std::string etag, lastModified;
    double connectSeconds = 15, totalSeconds = 120;
    int attempts = 3;            // server errors and dropped connections are tried again, not timeouts
    double backoffSeconds = 0.5; // before the second attempt, doubling after
    size_t maxBytes = size_t{256} << 20;
    // Bytes so far and expected (0: unknown); false cancels.
    std::function<bool(size_t, size_t)> progress;
};

enum class DownloadStatus { Fetched, NotModified, NotFound, Failed, Cancelled };

struct DownloadResult {
    DownloadStatus status = DownloadStatus::Failed;
    std::string body;               // gzip undone when the address ends in .gz or the body is gzip
    std::string etag, lastModified; // of the response, for the next request
    std::string finalUrl;           // after redirects
    std::string error;              // why it failed, for the messages
    long httpStatus = 0;
    bool offline = false; // the host could not be resolved or reached
};

DownloadResult Download(const DownloadRequest& request);
// Undoes gzip (one or more members); false with `error` set for a damaged stream or one over `maxBytes`.
bool Gunzip(const std::string& in, std::string& out, size_t maxBytes, std::string& error);
