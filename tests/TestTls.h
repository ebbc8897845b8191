#pragma once

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>

// TLS for the tests' loopback servers: a certificate authority made on the spot, a server
// certificate it signs, and the server side of a connection. Trust() points the process's
// OpenSSL at the authority through SSL_CERT_FILE, the way a user would.
class TestTls {
public:
    // `names`: the server certificate's subject alternative names, e.g. "IP:127.0.0.1". The
    // certificate is signed by `authority`'s authority, else by a new one.
    explicit TestTls(const std::string& names, const TestTls* authority = nullptr) {
        std::signal(SIGPIPE, SIG_IGN); // a client that hangs up must not end the test program
        if (authority) {
            EVP_PKEY_up_ref(authority->m_caKey.get());
            X509_up_ref(authority->m_ca.get());
            m_caKey.reset(authority->m_caKey.get());
            m_ca.reset(authority->m_ca.get());
        } else {
            m_caKey.reset(EVP_EC_gen("P-256"));
            m_ca.reset(Certificate(m_caKey.get(), "Sonvale Test Authority", nullptr, nullptr, ""));
        }
        m_key.reset(EVP_EC_gen("P-256"));
        m_cert.reset(
            Certificate(m_key.get(), "Sonvale Test Server", m_ca.get(), m_caKey.get(), names));
        m_context.reset(SSL_CTX_new(TLS_server_method()));
        SSL_CTX_use_certificate(m_context.get(), m_cert.get());
        SSL_CTX_use_PrivateKey(m_context.get(), m_key.get());
    }

    // Writes the authority to `path` and makes it the certificate store.
    void Trust(const std::string& path) const {
        FILE* file = std::fopen(path.c_str(), "w");
        PEM_write_X509(file, m_ca.get());
        std::fclose(file);
        setenv("SSL_CERT_FILE", path.c_str(), 1);
    }

    // The server side of the handshake on an accepted socket; null when the client gives up.
    std::unique_ptr<SSL, decltype(&SSL_free)> Accept(int fd) const {
        timeval limit{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(m_context.get()), &SSL_free);
        SSL_set_fd(ssl.get(), fd);
        if (SSL_accept(ssl.get()) != 1) {
            ERR_clear_error();
            ssl.reset();
        }
        return ssl;
    }

    static std::string ReadRequest(SSL* ssl) {
        std::string request;
        char buffer[512];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int n = SSL_read(ssl, buffer, sizeof buffer);
            if (n <= 0)
                break;
            request.append(buffer, static_cast<size_t>(n));
        }
        return request;
    }

    static bool Send(SSL* ssl, const std::string& bytes) {
        return bytes.empty() || SSL_write(ssl, bytes.data(), static_cast<int>(bytes.size())) > 0;
    }

private:
    static X509* Certificate(EVP_PKEY* key, const std::string& name, X509* issuer,
                             EVP_PKEY* issuerKey, const std::string& names) {
        static long serial = 1;
        X509* cert = X509_new();
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), serial++);
        X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
        X509_gmtime_adj(X509_getm_notAfter(cert), 24 * 3600);
        X509_set_pubkey(cert, key);
        X509_NAME_add_entry_by_txt(X509_get_subject_name(cert), "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>(name.c_str()), -1, -1, 0);
        X509_set_issuer_name(cert, X509_get_subject_name(issuer ? issuer : cert));
        X509V3_CTX v3;
        X509V3_set_ctx_nodb(&v3);
        X509V3_set_ctx(&v3, issuer ? issuer : cert, cert, nullptr, nullptr, 0);
        const std::pair<int, std::string> extensions[] = {
            {NID_basic_constraints, issuer ? "critical,CA:FALSE" : "critical,CA:TRUE"},
            {NID_key_usage, issuer ? "critical,digitalSignature" : "critical,keyCertSign"},
            {NID_subject_key_identifier, "hash"},
            {NID_subject_alt_name, names},
        };
        for (const auto& [nid, value] : extensions) {
            if (value.empty())
                continue;
            X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &v3, nid, value.c_str());
            X509_add_ext(cert, extension, -1);
            X509_EXTENSION_free(extension);
        }
        X509_sign(cert, issuerKey ? issuerKey : key, EVP_sha256());
        return cert;
    }

    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> m_caKey{nullptr, &EVP_PKEY_free};
    std::unique_ptr<X509, decltype(&X509_free)> m_ca{nullptr, &X509_free};
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> m_key{nullptr, &EVP_PKEY_free};
    std::unique_ptr<X509, decltype(&X509_free)> m_cert{nullptr, &X509_free};
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> m_context{nullptr, &SSL_CTX_free};
};
