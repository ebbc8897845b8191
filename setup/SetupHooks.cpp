#include "setup/SetupHooks.h"

#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "setup/Uninstaller.h"

#include <string>

namespace {

// The installation folder, from Uninstall_Init to Uninstall_Exit.
std::u16string installFolder;

} // namespace

extern "C" {

__attribute__((visibility("default"))) int Install_Init(void*, int, int, const char16_t*) {
    return SONVALE_SETUP_CONTINUE;
}

__attribute__((visibility("default"))) int Install_Exit(void*, const char16_t*, uint16_t, uint16_t,
                                                        uint16_t, uint16_t, uint16_t) {
    return SONVALE_SETUP_DONE;
}

__attribute__((visibility("default"))) int Uninstall_Init(void*, const char16_t* installDir) {
    Uninstaller::CancelLaunches(Registry::Shared());
    installFolder = installDir ? installDir : u"";
    return SONVALE_SETUP_CONTINUE;
}

__attribute__((visibility("default"))) int Uninstall_Exit(void*) {
    Uninstaller::DeleteTree(TextCodec::Utf16ToUtf8(installFolder));
    return SONVALE_SETUP_DONE;
}

} // extern "C"
