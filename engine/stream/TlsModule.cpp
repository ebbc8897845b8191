// libsonvale-tls.so: links libssl and hands its functions to the stream client's TLS session,
// which loads this module when the first https:// stream opens.
#include "engine/stream/TlsLibrary.h"

extern "C" __attribute__((visibility("default"))) const void* sonvale_tls_functions() {
    static const TlsFunctions functions = [] {
        TlsFunctions f;
        f.opensslVersion = OPENSSL_VERSION_NUMBER;
#define SONVALE_TLS_BIND(name) f.name = &::name;
        SONVALE_TLS_FUNCTIONS(SONVALE_TLS_BIND)
#undef SONVALE_TLS_BIND
        return f;
    }();
    return &functions;
}
