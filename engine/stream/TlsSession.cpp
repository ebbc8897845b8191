#include "engine/stream/TlsSession.h"

#include "engine/stream/TlsLibrary.h"
#include "platform/PrivateModule.h"

#include <arpa/inet.h>

namespace {

// libssl's functions from the module, when it was built for this major version of OpenSSL
// (functions and structures stay compatible within one).
const TlsFunctions* LoadTls() {
    const auto* tls = PrivateModule::LoadTable<TlsFunctions>(kTlsModuleFile, kTlsModuleEntry);
    return tls && tls->opensslVersion >> 28 == OPENSSL_VERSION_NUMBER >> 28 ? tls : nullptr;
}

bool IsAddress(const std::string& host) {
    unsigned char bytes[16];
    return inet_pton(AF_INET, host.c_str(), bytes) == 1 ||
           inet_pton(AF_INET6, host.c_str(), bytes) == 1;
}

// The oldest queued OpenSSL error as text, the queue cleared.
std::string TakeOpenSslError(const TlsFunctions& tls) {
    const unsigned long code = tls.ERR_get_error();
    tls.ERR_clear_error();
    if (code == 0)
        return {};
    char text[256];
    tls.ERR_error_string_n(code, text, sizeof text);
    return text;
}

} // namespace

TlsSession::~TlsSession() {
    End();
}

bool TlsSession::Begin(int fd, const std::string& host) {
    End();
    m_tls = LoadTls();
    if (!m_tls) {
        m_error = std::string("TLS: cannot load ") + kTlsModuleFile;
        return false;
    }
    const TlsFunctions& tls = *m_tls;
    tls.ERR_clear_error();
    m_context = tls.SSL_CTX_new(tls.TLS_client_method());
    if (!m_context) {
        m_error = "TLS: cannot create a context: " + TakeOpenSslError(tls);
        return false;
    }
    tls.SSL_CTX_ctrl(m_context, SSL_CTRL_SET_MIN_PROTO_VERSION, TLS1_2_VERSION, nullptr);
    tls.SSL_CTX_set_verify(m_context, SSL_VERIFY_PEER, nullptr);
    // Radio servers often just close the connection at the end: that is the end of the stream.
    tls.SSL_CTX_set_options(m_context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    if (tls.SSL_CTX_set_default_verify_paths(m_context) != 1) {
        m_error = "TLS: cannot load the system's certificates: " + TakeOpenSslError(tls);
        End();
        return false;
    }
    m_ssl = tls.SSL_new(m_context);
    if (!m_ssl || tls.SSL_set_fd(m_ssl, fd) != 1) {
        m_error = "TLS: cannot create a session: " + TakeOpenSslError(tls);
        End();
        return false;
    }
    // A name goes out as SNI and must be in the certificate; an address only has to match.
    bool named = false;
    if (IsAddress(host))
        named = tls.X509_VERIFY_PARAM_set1_ip_asc(tls.SSL_get0_param(m_ssl), host.c_str()) == 1;
    else
        named = tls.SSL_ctrl(m_ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                             const_cast<char*>(host.c_str())) == 1 &&
                tls.SSL_set1_host(m_ssl, host.c_str()) == 1;
    if (!named) {
        m_error = "TLS: cannot set the expected host name " + host;
        End();
        return false;
    }
    tls.SSL_set_connect_state(m_ssl);
    m_error.clear();
    return true;
}

TlsSession::Result TlsSession::Outcome(int ret, const char* what) {
    switch (m_tls->SSL_get_error(m_ssl, ret)) {
    case SSL_ERROR_WANT_READ:
        return kWantRead;
    case SSL_ERROR_WANT_WRITE:
        return kWantWrite;
    case SSL_ERROR_ZERO_RETURN:
        return kClosed;
    default:
        break;
    }
    const long verify = m_tls->SSL_get_verify_result(m_ssl);
    std::string detail = TakeOpenSslError(*m_tls);
    if (verify != X509_V_OK)
        detail = std::string("certificate verify failed: ") +
                 m_tls->X509_verify_cert_error_string(verify);
    else if (detail.empty())
        detail = "the connection was closed";
    m_error = std::string("TLS ") + what + ": " + detail;
    return kFailed;
}

TlsSession::Result TlsSession::Handshake() {
    if (!m_ssl)
        return kFailed;
    m_tls->ERR_clear_error();
    const int ret = m_tls->SSL_do_handshake(m_ssl);
    return ret == 1 ? kDone : Outcome(ret, "handshake");
}

TlsSession::Result TlsSession::Read(void* buffer, size_t length, size_t& got) {
    got = 0;
    if (!m_ssl)
        return kFailed;
    m_tls->ERR_clear_error();
    if (m_tls->SSL_read_ex(m_ssl, buffer, length, &got) == 1)
        return kDone;
    return Outcome(0, "read");
}

TlsSession::Result TlsSession::Write(const void* data, size_t length, size_t& sent) {
    sent = 0;
    if (!m_ssl)
        return kFailed;
    m_tls->ERR_clear_error();
    if (m_tls->SSL_write_ex(m_ssl, data, length, &sent) == 1)
        return kDone;
    return Outcome(0, "write");
}

bool TlsSession::HasPending() const {
    return m_ssl && m_tls->SSL_pending(m_ssl) > 0;
}

void TlsSession::End() {
    if (m_ssl)
        m_tls->SSL_free(m_ssl);
    if (m_context)
        m_tls->SSL_CTX_free(m_context);
    m_ssl = nullptr;
    m_context = nullptr;
}
