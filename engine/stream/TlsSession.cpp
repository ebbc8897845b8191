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
    m_context = SSL_CTX_new(TLS_client_method());
    if (!m_context) {
        m_error = "TLS: cannot create a context: " + TakeOpenSslError();
        return false;
    }
    SSL_CTX_set_min_proto_version(m_context, TLS1_2_VERSION);
    SSL_CTX_set_verify(m_context, SSL_VERIFY_PEER, nullptr);
    // Radio servers often just close the connection at the end: that is the end of the stream.
    SSL_CTX_set_options(m_context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    if (SSL_CTX_set_default_verify_paths(m_context) != 1) {
        m_error = "TLS: cannot load the system's certificates: " + TakeOpenSslError();
        End();
        return false;
    }
    m_ssl = SSL_new(m_context);
    if (!m_ssl || SSL_set_fd(m_ssl, fd) != 1) {
        m_error = "TLS: cannot create a session: " + TakeOpenSslError();
        End();
        return false;
    }
    // A name goes out as SNI and must be in the certificate; an address only has to match.
    bool named = false;
    if (IsAddress(host))
        named = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(m_ssl), host.c_str()) == 1;
    else
        named = SSL_set_tlsext_host_name(m_ssl, host.c_str()) == 1 &&
                SSL_set1_host(m_ssl, host.c_str()) == 1;
    if (!named) {
        m_error = "TLS: cannot set the expected host name " + host;
        End();
        return false;
    }
    SSL_set_connect_state(m_ssl);
    m_error.clear();
    return true;
}

TlsSession::Result TlsSession::Outcome(int ret, const char* what) {
    switch (SSL_get_error(m_ssl, ret)) {
    case SSL_ERROR_WANT_READ:
        return kWantRead;
    case SSL_ERROR_WANT_WRITE:
        return kWantWrite;
    case SSL_ERROR_ZERO_RETURN:
        return kClosed;
    default:
        break;
    }
    const long verify = SSL_get_verify_result(m_ssl);
    std::string detail = TakeOpenSslError();
    if (verify != X509_V_OK)
        detail = std::string("certificate verify failed: ") + X509_verify_cert_error_string(verify);
    else if (detail.empty())
        detail = "the connection was closed";
    m_error = std::string("TLS ") + what + ": " + detail;
    return kFailed;
}

TlsSession::Result TlsSession::Handshake() {
    if (!m_ssl)
        return kFailed;
    ERR_clear_error();
    const int ret = SSL_do_handshake(m_ssl);
    return ret == 1 ? kDone : Outcome(ret, "handshake");
}

TlsSession::Result TlsSession::Read(void* buffer, size_t length, size_t& got) {
    got = 0;
    if (!m_ssl)
        return kFailed;
    ERR_clear_error();
    if (SSL_read_ex(m_ssl, buffer, length, &got) == 1)
        return kDone;
    return Outcome(0, "read");
}

TlsSession::Result TlsSession::Write(const void* data, size_t length, size_t& sent) {
    sent = 0;
    if (!m_ssl)
        return kFailed;
    ERR_clear_error();
    if (SSL_write_ex(m_ssl, data, length, &sent) == 1)
        return kDone;
    return Outcome(0, "write");
}

bool TlsSession::HasPending() const {
    return m_ssl && SSL_pending(m_ssl) > 0;
}

void TlsSession::End() {
    if (m_ssl)
        SSL_free(m_ssl);
    if (m_context)
        SSL_CTX_free(m_context);
    m_ssl = nullptr;
    m_context = nullptr;
}
