#include "playback/FmodLibrary.h"

#include "platform/Folders.h"

#include <dlfcn.h>

FmodLibrary::~FmodLibrary() {
    Unload();
}

FmodLibrary::Result FmodLibrary::Load() {
    Unload();
    const std::string beside = Folders::ProgramFolder() + "/" + kFileName;
    handle_ = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        handle_ = dlopen(kFileName, RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        return Result::LoadFailed;
    return Bind();
}

FmodLibrary::Result FmodLibrary::LoadFrom(const std::string& path) {
    Unload();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        return Result::LoadFailed;
    return Bind();
}

void FmodLibrary::Unload() {
    functions_ = FmodFunctions{};
    if (handle_) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

namespace {

// Looks one name up and stores it with the pointer's own type; false when it is missing.
template <typename Pointer> bool BindOne(void* handle, const char* name, Pointer& pointer) {
    pointer = reinterpret_cast<Pointer>(dlsym(handle, name));
    return pointer != nullptr;
}

} // namespace

FmodLibrary::Result FmodLibrary::Bind() {
    missingName_.clear();
#define SONVALE_FSOUND_BIND(name)                                                                  \
    if (!BindOne(handle_, "FSOUND_" #name, functions_.name)) {                                     \
        missingName_ = "FSOUND_" #name;                                                            \
        Unload();                                                                                  \
        return Result::SymbolMissing;                                                              \
    }
    SONVALE_FSOUND_FUNCTIONS(SONVALE_FSOUND_BIND)
#undef SONVALE_FSOUND_BIND
    return Result::Ok;
}
