#include "runtime/SndFileLibrary.h"

#include "platform/PrivateModule.h"

#include <mutex>

namespace SndFileLibrary {

const SndFileFunctions* Load() {
    static const SndFileFunctions* functions = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        if (void* module = PrivateModule::Open(kSndFileModuleFile))
            functions = static_cast<const SndFileFunctions*>(
                PrivateModule::Entry(module, kSndFileModuleEntry));
    });
    return functions;
}

} // namespace SndFileLibrary
