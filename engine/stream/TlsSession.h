#pragma once

#include <cstddef>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;
struct TlsFunctions;

// A TLS client session over a connected non-blocking socket, through OpenSSL's libssl as
// libsonvale-tls.so binds it on first use. The server's certificate is checked
// against the system's certificate store (SSL_CERT_FILE and SSL_CERT_DIR are honoured) and must
// name the host. The calls never block: they tell the caller which way to wait on the socket.
class TlsSession {
public:
    enum Result { kDone, kWantRead, kWantWrite, kClosed, kFailed };

    TlsSession() = default;
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    // Sets up a session on `fd` for `host` (a name or a dotted address). False when OpenSSL
    // cannot (Error() says why).
    bool Begin(int fd, const std::string& host);
    Result Handshake();
    // kDone with `got` > 0, kClosed at the server's end of the stream.
    Result Read(void* buffer, size_t length, size_t& got);
    Result Write(const void* data, size_t length, size_t& sent);
    // Decrypted bytes waiting inside the session: readable without the socket being readable.
    bool HasPending() const;
    // Frees the session; the socket stays open.
    void End();
    bool Active() const { return m_ssl != nullptr; }

    const std::string& Error() const { return m_error; }

private:
    Result Outcome(int ret, const char* what);

    const TlsFunctions* m_tls = nullptr; // set by Begin
    SSL_CTX* m_context = nullptr;
    SSL* m_ssl = nullptr;
    std::string m_error;
};
