#include "engine/stream/TlsLibrary.h"

#include "platform/PrivateModule.h"

#include <dlfcn.h>

#include <mutex>

namespace {

const TlsFunctions* Find() {
    void* module = PrivateModule::Open(kTlsModuleFile);
    if (!module)
        return nullptr;
    const auto* functions =
        static_cast<const TlsFunctions*>(PrivateModule::Entry(module, kTlsModuleEntry));
    // Functions and structures stay compatible within a major version.
    if (!functions || functions->opensslVersion >> 28 != OPENSSL_VERSION_NUMBER >> 28) {
        dlclose(module);
        return nullptr;
    }
    return functions;
}

} // namespace

namespace TlsLibrary {

const TlsFunctions* Load() {
    static const TlsFunctions* functions = nullptr;
    static std::once_flag once;
    std::call_once(once, [] { functions = Find(); });
    return functions;
}

} // namespace TlsLibrary
