#include "platform/AvCodec.h"

#include <dlfcn.h>

#include <mutex>
#include <string>

namespace {

const AvCodecFunctions* g_functions = nullptr;

const AvCodecFunctions* FromModule(const std::string& path) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return nullptr;
    const auto entry = reinterpret_cast<AvCodecModuleEntry>(dlsym(module, kAvCodecModuleEntry));
    const AvCodecFunctions* functions = entry ? entry() : nullptr;
    if (!functions || functions->version != LIBAVCODEC_VERSION_INT) {
        dlclose(module);
        return nullptr;
    }
    return functions; // the module stays loaded for the rest of the process
}

// The folder of the program or shared library this function is in.
std::string OwnFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&OwnFolder), &info) || !info.dli_fname)
        return {};
    const std::string file = info.dli_fname;
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

const AvCodecFunctions* Find() {
    const std::string folder = OwnFolder();
    const AvCodecFunctions* functions = nullptr;
    if (!folder.empty()) {
        functions = FromModule(folder + "/" + kAvCodecModuleFile);
        if (!functions)
            functions = FromModule(folder + "/../lib/sonvale/" + kAvCodecModuleFile);
    }
    if (!functions)
        functions = FromModule(kAvCodecModuleFile);
    if (functions)
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
