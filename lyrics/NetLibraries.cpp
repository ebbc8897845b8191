#include "lyrics/NetLibraries.h"

#include "platform/PrivateModule.h"

#include <dlfcn.h>

#include <mutex>

namespace {

const NetFunctions* g_functions = nullptr;

const NetFunctions* Find() {
    void* module = PrivateModule::Open(kNetModuleFile);
    if (!module)
        return nullptr;
    const auto* functions =
        static_cast<const NetFunctions*>(PrivateModule::Entry(module, kNetModuleEntry));
    if (!functions || functions->curlVersion != LIBCURL_VERSION_NUM ||
        functions->curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        dlclose(module);
        return nullptr;
    }
    return functions;
}

} // namespace

namespace NetLibraries {

const NetFunctions* Load() {
    static std::once_flag once;
    std::call_once(once, [] { g_functions = Find(); });
    return g_functions;
}

const NetFunctions& Functions() {
    return *g_functions;
}

} // namespace NetLibraries
