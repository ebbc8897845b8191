#include "platform/AvCodec.h"

#include "platform/PrivateModule.h"

#include <dlfcn.h>

#include <mutex>

namespace {

const AvCodecFunctions* g_functions = nullptr;

const AvCodecFunctions* Find() {
    void* module = PrivateModule::Open(kAvCodecModuleFile);
    if (!module)
        return nullptr;
    const auto* functions =
        static_cast<const AvCodecFunctions*>(PrivateModule::Entry(module, kAvCodecModuleEntry));
    if (!functions || functions->version != LIBAVCODEC_VERSION_INT) {
        dlclose(module);
        return nullptr;
    }
    functions->av_log_set_level(AV_LOG_QUIET); // damaged frames are skipped; no complaints
    return functions;
}

} // namespace

namespace AvCodec {
const AvCodecFunctions* Load() {
    static std::once_flag once;
    std::call_once(once, [] { g_functions = Find(); });
    return g_functions;
}

const AvCodecFunctions& Functions() {
    return *g_functions;
}

} // namespace AvCodec
