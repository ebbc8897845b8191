#include "setup/SetupHooks.h"

#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "setup/InstallManifest.h"
#include "setup/Uninstaller.h"

#include <string>

namespace {

// The installation folder, from Uninstall_Init to Uninstall_Exit.
std::u16string installFolder;
// The installation folder as Install_Init found it, before the files were copied.
std::u16string snapshotFolder;
InstallManifest::Snapshot snapshot;

} // namespace

extern "C" {

__attribute__((visibility("default"))) int Install_Init(void*, int, int,
                                                        const char16_t* installDir) {
    snapshotFolder = installDir ? installDir : u"";
    snapshot = InstallManifest::Take(TextCodec::Utf16ToUtf8(snapshotFolder));
    return SONVALE_SETUP_CONTINUE;
}

// Records what the copy added or changed, so that the uninstall removes that and nothing else.
__attribute__((visibility("default"))) int Install_Exit(void*, const char16_t* installDir, uint16_t,
                                                        uint16_t, uint16_t, uint16_t, uint16_t) {
    const std::u16string folder = installDir ? installDir : u"";
    if (folder != snapshotFolder)
        snapshot.clear(); // no snapshot of this folder: all of it is the installation's
    const std::string native = TextCodec::Utf16ToUtf8(folder);
    if (Uninstaller::IsDeletableFolder(native))
        InstallManifest::Write(native, snapshot, InstallManifest::Take(native));
    snapshot.clear();
    snapshotFolder.clear();
    return SONVALE_SETUP_DONE;
}

__attribute__((visibility("default"))) int Uninstall_Init(void*, const char16_t* installDir) {
    Uninstaller::CancelLaunches(Registry::Shared());
    installFolder = installDir ? installDir : u"";
    return SONVALE_SETUP_CONTINUE;
}

__attribute__((visibility("default"))) int Uninstall_Exit(void*) {
    Uninstaller::RemoveInstallation(TextCodec::Utf16ToUtf8(installFolder));
    return SONVALE_SETUP_DONE;
}

} // extern "C"
