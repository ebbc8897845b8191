#include "engine/stream/TlsSession.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

namespace {

bool IsAddress(const std::string& host) {
    unsigned char bytes[16];
    return inet_pton(AF_INET, host.c_str(), bytes) == 1 ||
           inet_pton(AF_INET6, host.c_str(), bytes) == 1;
}

// The oldest queued OpenSSL error as text, the queue cleared.
std::string TakeOpenSslError() {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return {};
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

} // namespace

TlsSession::~TlsSession() {
    End();
}

bool TlsSession::Begin(int fd, const std::string& host) {
    End();
    ERR_clear_error();
    context_ = SSL_CTX_new(TLS_client_method());
    if (!context_) {
        error_ = "TLS: cannot create a context: " + TakeOpenSslError();
        return false;
    }
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    SSL_CTX_set_verify(context_, SSL_VERIFY_PEER, nullptr);
    // Radio servers often just close the connection at the end: that is the end of the stream.
    SSL_CTX_set_options(context_, SSL_OP_IGNORE_UNEXPECTED_EOF);
    if (SSL_CTX_set_default_verify_paths(context_) != 1) {
        error_ = "TLS: cannot load the system's certificates: " + TakeOpenSslError();
        End();
        return false;
    }
    ssl_ = SSL_new(context_);
    if (!ssl_ || SSL_set_fd(ssl_, fd) != 1) {
        error_ = "TLS: cannot create a session: " + TakeOpenSslError();
        End();
        return false;
    }
    // A name goes out as SNI and must be in the certificate; an address only has to match.
    bool named = false;
    if (IsAddress(host))
        named = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), host.c_str()) == 1;
    else
        named = SSL_set_tlsext_host_name(ssl_, host.c_str()) == 1 &&
                SSL_set1_host(ssl_, host.c_str()) == 1;
    if (!named) {
        error_ = "TLS: cannot set the expected host name " + host;
        End();
        return false;
    }
    SSL_set_connect_state(ssl_);
    error_.clear();
    return true;
}

TlsSession::Result TlsSession::Outcome(int ret, const char* what) {
    switch (SSL_get_error(ssl_, ret)) {
    case SSL_ERROR_WANT_READ:
        return kWantRead;
    case SSL_ERROR_WANT_WRITE:
        return kWantWrite;
    case SSL_ERROR_ZERO_RETURN:
        return kClosed;
    default:
        break;
    }
    const long verify = SSL_get_verify_result(ssl_);
    std::string detail = TakeOpenSslError();
    if (verify != X509_V_OK)
        detail = std::string("certificate verify failed: ") + X509_verify_cert_error_string(verify);
    else if (detail.empty())
        detail = "the connection was closed";
    error_ = std::string("TLS ") + what + ": " + detail;
    return kFailed;
}

TlsSession::Result TlsSession::Handshake() {
    if (!ssl_)
        return kFailed;
    ERR_clear_error();
    const int ret = SSL_do_handshake(ssl_);
    return ret == 1 ? kDone : Outcome(ret, "handshake");
}

TlsSession::Result TlsSession::Read(void* buffer, size_t length, size_t& got) {
    got = 0;
    if (!ssl_)
        return kFailed;
    ERR_clear_error();
    if (SSL_read_ex(ssl_, buffer, length, &got) == 1)
        return kDone;
    return Outcome(0, "read");
}

TlsSession::Result TlsSession::Write(const void* data, size_t length, size_t& sent) {
    sent = 0;
    if (!ssl_)
        return kFailed;
    ERR_clear_error();
    if (SSL_write_ex(ssl_, data, length, &sent) == 1)
        return kDone;
    return Outcome(0, "write");
}

bool TlsSession::HasPending() const {
    return ssl_ && SSL_pending(ssl_) > 0;
}

void TlsSession::End() {
    if (ssl_)
        SSL_free(ssl_);
    if (context_)
        SSL_CTX_free(context_);
    ssl_ = nullptr;
    context_ = nullptr;
}
