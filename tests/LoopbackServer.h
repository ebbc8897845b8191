#pragma once

#include "tests/LoopbackSocket.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// A loopback server: accepts connections on 127.0.0.1 one after the other, reads the request
// (unless told not to: a TLS handler reads it itself) and hands the socket to a scripted
// handler. The socket is closed when the handler returns.
class LoopbackServer {
public:
    using Handler = std::function<void(LoopbackServer& server, int fd)>;

    explicit LoopbackServer(Handler handler, bool readRequest = true)
        : handler_(std::move(handler)), readRequest_(readRequest) {
        listener_ = LoopbackSocket::Listen(port_, 16);
        thread_ = std::thread([this] { Run(); });
    }

    ~LoopbackServer() {
        stop_ = true;
        thread_.join();
        close(listener_);
    }

    int Port() const { return port_; }
    std::string Url(const std::string& path = "/live") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    int Connections() const { return connections_; }
    std::string Request() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return request_;
    }
    void SetRequest(const std::string& request) {
        std::lock_guard<std::mutex> lock(mutex_);
        request_ = request;
    }
    bool Stopping() const { return stop_; }

    static void Send(int fd, const std::string& bytes) { LoopbackSocket::SendAll(fd, bytes); }

    // Keeps the connection open until the client closes it, the server stops or `ms` pass.
    void Hold(int fd, int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!stop_ && std::chrono::steady_clock::now() < until) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) > 0) {
                char scratch[512];
                if (recv(fd, scratch, sizeof scratch, 0) <= 0)
                    return;
            }
        }
    }

private:
    void Run() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const int fd = accept(listener_, nullptr, nullptr);
            if (fd < 0)
                continue;
            ++connections_;
            std::string request;
            char scratch[512];
            while (readRequest_ && request.find("\r\n\r\n") == std::string::npos && !stop_) {
                pollfd c{fd, POLLIN, 0};
                if (poll(&c, 1, 20) <= 0)
                    continue;
                const ssize_t n = recv(fd, scratch, sizeof scratch, 0);
                if (n <= 0)
                    break;
                request.append(scratch, static_cast<size_t>(n));
            }
            if (readRequest_)
                SetRequest(request);
            handler_(*this, fd);
            close(fd);
        }
    }

    Handler handler_;
    bool readRequest_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::string request_;
    std::thread thread_;
};
