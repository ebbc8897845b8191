#include "playback/FmodLibrary.h"

#include "platform/Folders.h"

#include <dlfcn.h>

FmodLibrary::~FmodLibrary() {
    Unload();
}

FmodLibrary::Result FmodLibrary::Load() {
    Unload();
    const std::string beside = Folders::ProgramFolder() + "/" + kFileName;
    m_handle = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle)
        m_handle = dlopen(kFileName, RTLD_NOW | RTLD_LOCAL);
    if (!m_handle)
        return Result::LoadFailed;
    return Bind();
}

FmodLibrary::Result FmodLibrary::LoadFrom(const std::string& path) {
    Unload();
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle)
        return Result::LoadFailed;
    return Bind();
}

void FmodLibrary::Unload() {
    m_functions = FmodFunctions{};
    if (m_handle) {
        dlclose(m_handle);
        m_handle = nullptr;
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
    m_missingName.clear();
#define SONVALE_FSOUND_BIND(name)                                                                  \
    if (!BindOne(m_handle, "FSOUND_" #name, m_functions.name)) {                                   \
        m_missingName = "FSOUND_" #name;                                                           \
        Unload();                                                                                  \
        return Result::SymbolMissing;                                                              \
    }
    SONVALE_FSOUND_FUNCTIONS(SONVALE_FSOUND_BIND)
#undef SONVALE_FSOUND_BIND
    return Result::Ok;
}
