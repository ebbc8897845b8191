// libsonvale-net.so: links libcurl and libcrypto and hands their functions to the lyrics
// download, which loads this module on first use instead of linking them into every program.
#include "lyrics/NetLibraries.h"

extern "C" __attribute__((visibility("default"))) const void* sonvale_net_functions() {
    static const NetFunctions functions = [] {
        NetFunctions f;
        f.curlVersion = LIBCURL_VERSION_NUM;
#define SONVALE_NET_BIND(name) f.name = &::name;
        SONVALE_NET_FUNCTIONS(SONVALE_NET_BIND)
#undef SONVALE_NET_BIND
        return f;
    }();
    return &functions;
}
