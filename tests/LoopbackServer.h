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
        : m_handler(std::move(handler)), m_readRequest(readRequest) {
        m_listener = LoopbackSocket::Listen(m_port, 16);
        m_thread = std::thread([this] { Run(); });
    }

    ~LoopbackServer() {
        m_stop = true;
        m_thread.join();
        close(m_listener);
    }

    int Port() const { return m_port; }
    std::string Url(const std::string& path = "/live") const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }
    int Connections() const { return m_connections; }
    std::string Request() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_request;
    }
    void SetRequest(const std::string& request) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_request = request;
    }
    bool Stopping() const { return m_stop; }

    static void Send(int fd, const std::string& bytes) { LoopbackSocket::SendAll(fd, bytes); }

    // Keeps the connection open until the client closes it, the server stops or `ms` pass.
    void Hold(int fd, int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!m_stop && std::chrono::steady_clock::now() < until) {
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
        while (!m_stop) {
            pollfd p{m_listener, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const int fd = accept(m_listener, nullptr, nullptr);
            if (fd < 0)
                continue;
            ++m_connections;
            std::string request;
            char scratch[512];
            while (m_readRequest && request.find("\r\n\r\n") == std::string::npos && !m_stop) {
                pollfd c{fd, POLLIN, 0};
                if (poll(&c, 1, 20) <= 0)
                    continue;
                const ssize_t n = recv(fd, scratch, sizeof scratch, 0);
                if (n <= 0)
                    break;
                request.append(scratch, static_cast<size_t>(n));
            }
            if (m_readRequest)
                SetRequest(request);
            m_handler(*this, fd);
            close(fd);
        }
    }

    Handler m_handler;
    bool m_readRequest;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mutex;
    std::string m_request;
    std::thread m_thread;
};
