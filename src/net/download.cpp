#include "net/download.h"

#include <curl/curl.h>
#include <zlib.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "base/strings.h"

namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
    const DownloadRequest* request = nullptr;
    std::string body, etag, lastModified;
    bool tooLarge = false, cancelled = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (t->body.size() + n > t->request->maxBytes) {
        t->tooLarge = true;
        return 0; // aborts the transfer
    }
    t->body.append(data, n);
    return n;
}

std::string Trimmed(const char* data, size_t n) {
    std::string s(data, n);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    size_t a = 0;
    while (a < s.size() && s[a] == ' ')
        ++a;
    return s.substr(a);
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    const std::string line(data, n);
    const size_t colon = line.find(':');
    if (line.rfind("HTTP/", 0) == 0) { // a new response (after a redirect): forget the last one's
        t->etag.clear();
        t->lastModified.clear();
    } else if (colon != std::string::npos) {
        std::string key = line.substr(0, colon);
        for (char& c : key)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (key == "etag")
            t->etag = Trimmed(data + colon + 1, n - colon - 1);
        else if (key == "last-modified")
            t->lastModified = Trimmed(data + colon + 1, n - colon - 1);
    }
    return n;
}

int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(user);
    if (t->request->progress &&
        !t->request->progress(static_cast<size_t>(now), static_cast<size_t>(total > 0 ? total : 0))) {
        t->cancelled = true;
        return 1;
    }
    return 0;
}

bool IsGzip(const std::string& s) {
    return s.size() >= 2 && static_cast<unsigned char>(s[0]) == 0x1f &&
           static_cast<unsigned char>(s[1]) == 0x8b;
}

bool EndsWithGz(const std::string& url) {
    const std::string path = url.substr(0, url.find_first_of("?#"));
    return path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0;
}

// One attempt; true when it is worth another (a server error, a dropped or timed-out connection).
bool Attempt(const DownloadRequest& r, DownloadResult& out) {
    CURL* curl = curl_easy_init();
    if (!curl) {
        out.error = ResString(IDS_FETCH_NO_CURL);
        return false;
    }
    Transfer t;
    t.request = &r;
    curl_slist* headers = nullptr;
    if (!r.etag.empty())
        headers = curl_slist_append(headers, ("If-None-Match: " + r.etag).c_str());
    if (!r.lastModified.empty())
        headers = curl_slist_append(headers, ("If-Modified-Since: " + r.lastModified).c_str());
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, r.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(r.connectSeconds * 1000));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(r.totalSeconds * 1000));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(r.maxBytes));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "tavrin/" TAVRIN_VERSION);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    char* effective = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
    out.finalUrl = effective ? effective : r.url;
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    out.httpStatus = status;
    out.etag = t.etag;
    out.lastModified = t.lastModified;
    if (t.cancelled) {
        out.status = DownloadStatus::Cancelled;
        out.error = ResString(IDS_FETCH_CANCELLED);
        return false;
    }
    if (t.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        out.status = DownloadStatus::Failed;
        out.error = FormatText(ResString(IDS_FETCH_TOO_LARGE).c_str(), static_cast<int>(r.maxBytes >> 20));
        return false;
    }
    if (code != CURLE_OK) {
        out.status = DownloadStatus::Failed;
        out.offline = code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_RESOLVE_PROXY ||
                      code == CURLE_COULDNT_CONNECT;
        out.error = *errorText ? errorText : curl_easy_strerror(code);
        // A dropped connection is tried again; a timeout has waited long enough already.
        return code == CURLE_PARTIAL_FILE || code == CURLE_RECV_ERROR || code == CURLE_SEND_ERROR ||
               code == CURLE_GOT_NOTHING;
    }
    if (status == 304) {
        out.status = DownloadStatus::NotModified;
        return false;
    }
    if (status == 404 || status == 410) {
        out.status = DownloadStatus::NotFound;
        out.error = FormatText(ResString(IDS_FETCH_HTTP_STATUS).c_str(), static_cast<int>(status));
        return false;
    }
    if (status < 200 || status >= 300) {
        out.status = DownloadStatus::Failed;
        out.error = FormatText(ResString(IDS_FETCH_HTTP_STATUS).c_str(), static_cast<int>(status));
        return status >= 500 || status == 429;
    }
    if (EndsWithGz(out.finalUrl) || IsGzip(t.body)) {
        std::string plain;
        if (!Gunzip(t.body, plain, r.maxBytes, out.error)) {
            out.status = DownloadStatus::Failed;
            return false;
        }
        t.body.swap(plain);
    }
    out.body = std::move(t.body);
    out.status = DownloadStatus::Fetched;
    return false;
}

} // namespace

bool Gunzip(const std::string& in, std::string& out, size_t maxBytes, std::string& error) {
    out.clear();
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) {
        error = ResString(IDS_FETCH_BAD_GZIP);
        return false;
    }
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    char buffer[1 << 16];
    int code = Z_OK;
    while (true) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        code = inflate(&z, Z_NO_FLUSH);
        if (code != Z_OK && code != Z_STREAM_END)
            break;
        out.append(buffer, sizeof buffer - z.avail_out);
        if (out.size() > maxBytes) {
            inflateEnd(&z);
            error = FormatText(ResString(IDS_FETCH_TOO_LARGE).c_str(), static_cast<int>(maxBytes >> 20));
            return false;
        }
        if (code == Z_STREAM_END) {
            if (z.avail_in == 0)
                break;
            inflateReset(&z); // another member follows
        } else if (z.avail_in == 0 && z.avail_out != 0) {
            code = Z_BUF_ERROR; // the stream ends before its end
            break;
        }
    }
    inflateEnd(&z);
    if (code != Z_STREAM_END) {
        error = ResString(IDS_FETCH_BAD_GZIP);
        return false;
    }
    return true;
}

DownloadResult Download(const DownloadRequest& request) {
    GlobalInit();
    DownloadResult out;
    double wait = request.backoffSeconds;
    for (int attempt = 1;; ++attempt) {
        out = DownloadResult{};
        if (!Attempt(request, out) || attempt >= request.attempts)
            return out;
        std::this_thread::sleep_for(std::chrono::duration<double>(wait));
        wait *= 2;
    }
}
