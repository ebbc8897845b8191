#pragma once

// libssl, bound at first use. Only https:// radio streams need TLS, and libssl with libcrypto
// costs every start about two megabytes of memory. The module libsonvale-tls.so links them and
// hands out the functions the stream client's session calls; it is loaded the first time an
// https:// stream is opened.

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#define SONVALE_TLS_FUNCTIONS(X)                                                                   \
    X(TLS_client_method)                                                                           \
    X(SSL_CTX_new)                                                                                 \
    X(SSL_CTX_free)                                                                                \
    X(SSL_CTX_ctrl)                                                                                \
    X(SSL_CTX_set_verify)                                                                          \
    X(SSL_CTX_set_options)                                                                         \
    X(SSL_CTX_set_default_verify_paths)                                                            \
    X(SSL_new)                                                                                     \
    X(SSL_free)                                                                                    \
    X(SSL_set_fd)                                                                                  \
    X(SSL_ctrl)                                                                                    \
    X(SSL_set1_host)                                                                               \
    X(SSL_get0_param)                                                                              \
    X(SSL_set_connect_state)                                                                       \
    X(SSL_do_handshake)                                                                            \
    X(SSL_read_ex)                                                                                 \
    X(SSL_write_ex)                                                                                \
    X(SSL_pending)                                                                                 \
    X(SSL_get_error)                                                                               \
    X(SSL_get_verify_result)                                                                       \
    X(X509_VERIFY_PARAM_set1_ip_asc)                                                               \
    X(X509_verify_cert_error_string)                                                               \
    X(ERR_get_error)                                                                               \
    X(ERR_clear_error)                                                                             \
    X(ERR_error_string_n)

struct TlsFunctions {
    unsigned long opensslVersion = 0; // OPENSSL_VERSION_NUMBER the module was built against
#define SONVALE_TLS_MEMBER(name) decltype(&::name) name = nullptr;
    SONVALE_TLS_FUNCTIONS(SONVALE_TLS_MEMBER)
#undef SONVALE_TLS_MEMBER
};

// The module's one export: extern "C" const void* sonvale_tls_functions(), the TlsFunctions.
inline constexpr const char* kTlsModuleEntry = "sonvale_tls_functions";
inline constexpr const char* kTlsModuleFile = "libsonvale-tls.so";
