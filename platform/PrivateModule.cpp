#include "platform/PrivateModule.h"

#include <dlfcn.h>

#include <string>

namespace {

// The folder of the program or shared library this function is in.
std::string OwnFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&OwnFolder), &info) || !info.dli_fname)
        return {};
    const std::string file = info.dli_fname;
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

} // namespace

namespace PrivateModule {

void* Open(const char* file) {
    const std::string folder = OwnFolder();
    void* module = nullptr;
    if (!folder.empty()) {
        module = dlopen((folder + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module)
            module = dlopen((folder + "/../lib/sonvale/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!module)
        module = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    return module;
}

const void* Entry(void* module, const char* entry) {
    using EntryFunction = const void* (*)();
    const auto function = reinterpret_cast<EntryFunction>(dlsym(module, entry));
    return function ? function() : nullptr;
}

} // namespace PrivateModule
