#pragma once

// libcurl and libcrypto's digest, bound at first use. The lyrics download is the only user of
// either, and what they pull in (TLS, Kerberos, LDAP, SSH libraries) costs every start memory
// and time. The module libsonvale-net.so links them and hands out the functions the download
// calls; it is loaded the first time a download needs it.

#define CURL_DISABLE_TYPECHECK // curl_easy_setopt is called through a pointer
#include <curl/curl.h>
#include <openssl/evp.h>

#define SONVALE_NET_FUNCTIONS(X)                                                                   \
    X(curl_global_init)                                                                            \
    X(curl_easy_init)                                                                              \
    X(curl_easy_cleanup)                                                                           \
    X(curl_easy_setopt)                                                                            \
    X(curl_easy_perform)                                                                           \
    X(curl_easy_getinfo)                                                                           \
    X(curl_easy_escape)                                                                            \
    X(curl_free)                                                                                   \
    X(curl_slist_append)                                                                           \
    X(curl_slist_free_all)                                                                         \
    X(EVP_Digest)                                                                                  \
    X(EVP_md5)

struct NetFunctions {
    unsigned curlVersion = 0; // LIBCURL_VERSION_NUM the module was built against
#define SONVALE_NET_MEMBER(name) decltype(&::name) name = nullptr;
    SONVALE_NET_FUNCTIONS(SONVALE_NET_MEMBER)
#undef SONVALE_NET_MEMBER
};

// The module's one export: extern "C" const void* sonvale_net_functions(), the NetFunctions.
inline constexpr const char* kNetModuleEntry = "sonvale_net_functions";
inline constexpr const char* kNetModuleFile = "libsonvale-net.so";

namespace NetLibraries {

// Loads the module on the first call (later calls give the same answer) and initialises
// libcurl. Null when the module is missing or was built for another libcurl.
const NetFunctions* Load();

// The loaded functions; only after Load() gave them.
const NetFunctions& Functions();

} // namespace NetLibraries

inline const NetFunctions& Net() {
    return NetLibraries::Functions();
}
