// Test support: an HTTP/1.1 server on 127.0.0.1 (a free port) answering each path with the responses
// a test sets, one per request, the last one repeated: bodies, statuses, redirects, ETags, a body
// cut short, or no answer at all.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct HttpResponse {
    HttpResponse(int s = 200, std::string b = "", std::string e = "", std::string to = "", bool c = false,
                 double silent = 0)
        : status(s), body(std::move(b)), etag(std::move(e)), location(std::move(to)), cut(c),
          silentSeconds(silent) {}
    int status = 200;
    std::string body;
    std::string etag;         // sent, and answered with 304 when the request names it
    std::string location;     // for a redirect
    bool cut = false;         // promises more than it sends, then closes
    double silentSeconds = 0; // waits this long before answering (a server that hangs)
};

class HttpServer {
public:
    HttpServer() {
        // Straight to this machine, whatever proxy the environment names.
        setenv("no_proxy", "127.0.0.1", 1);
        setenv("NO_PROXY", "127.0.0.1", 1);
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t n = sizeof a;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &n);
        port_ = ntohs(a.sin_port);
        listen(listener_, 16);
        loop_ = std::thread([this] { Serve(); });
    }
    ~HttpServer() {
        stop_ = true;
        loop_.join();
        for (std::thread& t : workers_)
            t.join();
        close(listener_);
    }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    void Set(const std::string& path, std::vector<HttpResponse> responses) {
        std::lock_guard<std::mutex> lock(mutex_);
        routes_[path] = std::move(responses);
        hits_[path] = 0;
    }
    int Hits(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        return hits_[path];
    }

private:
    void Serve() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0)
                continue;
            const int fd = accept(listener_, nullptr, nullptr);
            if (fd >= 0)
                workers_.emplace_back([this, fd] { Answer(fd); });
        }
    }
    void Answer(int fd) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            request.append(buffer, static_cast<size_t>(n));
        }
        const size_t a = request.find(' '), b = request.find(' ', a + 1);
        const std::string path = a == std::string::npos ? "" : request.substr(a + 1, b - a - 1);
        HttpResponse r{404, "not here"};
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto it = routes_.find(path);
            if (it != routes_.end() && !it->second.empty()) {
                const size_t k = static_cast<size_t>(hits_[path]);
                r = it->second[std::min(k, it->second.size() - 1)];
            }
            ++hits_[path];
        }
        for (auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(r.silentSeconds);
             !stop_ && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!r.etag.empty() && request.find("If-None-Match: " + r.etag + "\r\n") != std::string::npos)
            r = HttpResponse{304, "", r.etag};
        std::string head = "HTTP/1.1 " + std::to_string(r.status) + " X\r\nConnection: close\r\n";
        head += "Content-Length: " + std::to_string(r.body.size() + (r.cut ? 1000 : 0)) + "\r\n";
        if (!r.etag.empty())
            head += "ETag: " + r.etag + "\r\n";
        if (!r.location.empty())
            head += "Location: " + r.location + "\r\n";
        const std::string all = head + "\r\n" + r.body;
        send(fd, all.data(), all.size(), MSG_NOSIGNAL);
        close(fd);
    }

    int listener_ = -1, port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread loop_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::map<std::string, std::vector<HttpResponse>> routes_;
    std::map<std::string, int> hits_;
};
