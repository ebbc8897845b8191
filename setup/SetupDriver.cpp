// sonvale-setup: calls the setup library's hooks the way an installer does.
//   sonvale-setup install DIR     Install_Init, the program files beside this driver are
//                                 copied into DIR, Install_Exit
//   sonvale-setup uninstall DIR   Uninstall_Init, (files are removed), Uninstall_Exit, then
//                                 says what was left in DIR

#include "platform/Folders.h"
#include "platform/TextCodec.h"
#include "setup/InstallManifest.h"
#include "setup/SetupHooks.h"
#include "setup/Uninstaller.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void* LoadLibrary() {
    const std::string beside = Folders::ProgramFolder() + "/libsonvale-setup.so";
    if (void* handle = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL))
        return handle;
    return dlopen("libsonvale-setup.so", RTLD_NOW | RTLD_LOCAL);
}

template <typename T> T Hook(void* library, const char* name) {
    return reinterpret_cast<T>(dlsym(library, name));
}

// The installer's copy step: the player's files that sit beside this driver go into `folder`.
bool CopyProgramFiles(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(folder, ec);
    bool copied = true;
    for (const std::string& name : Uninstaller::ProgramFileNames()) {
        const fs::path source = fs::path(Folders::ProgramFolder()) / name;
        if (name == InstallManifest::kFileName || !fs::is_regular_file(source, ec))
            continue;
        if (!fs::copy_file(source, fs::path(folder) / name, fs::copy_options::overwrite_existing,
                           ec)) {
            std::fprintf(stderr, "sonvale-setup: cannot copy %s: %s\n", name.c_str(),
                         ec.message().c_str());
            copied = false;
        }
    }
    return copied;
}

// What the uninstall left in `folder` because the installation did not put it there.
void ReportLeftovers(const std::string& folder) {
    const std::vector<std::string> left = Uninstaller::Leftovers(folder);
    if (left.empty())
        return;
    std::printf("Left in %s (not installed by Sonvale):\n", folder.c_str());
    for (const std::string& entry : left)
        std::printf("  %s\n", entry.c_str());
}

int Usage() {
    std::fprintf(stderr, "usage: sonvale-setup install|uninstall DIR\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return Usage();
    const std::string command = argv[1];
    if (command != "install" && command != "uninstall")
        return Usage();

    void* library = LoadLibrary();
    if (!library) {
        std::fprintf(stderr, "sonvale-setup: cannot load libsonvale-setup.so: %s\n", dlerror());
        return 1;
    }
    auto installInit = Hook<Install_Init_t>(library, "Install_Init");
    auto installExit = Hook<Install_Exit_t>(library, "Install_Exit");
    auto uninstallInit = Hook<Uninstall_Init_t>(library, "Uninstall_Init");
    auto uninstallExit = Hook<Uninstall_Exit_t>(library, "Uninstall_Exit");
    if (!installInit || !installExit || !uninstallInit || !uninstallExit) {
        std::fprintf(stderr, "sonvale-setup: the library lacks a setup hook\n");
        dlclose(library);
        return 1;
    }

    // An installer hands the hooks an absolute folder.
    std::error_code ec;
    const std::string folder = std::filesystem::absolute(argv[2], ec).lexically_normal().string();
    const std::u16string dir = TextCodec::Utf8ToUtf16(ec ? argv[2] : folder);
    const std::string native = TextCodec::Utf16ToUtf8(dir);
    int result;
    bool ok = true;
    if (command == "install") {
        result = installInit(nullptr, 1, 0, dir.c_str());
        std::printf("Install_Init: %d\n", result);
        if (result == SONVALE_SETUP_CONTINUE) {
            ok = CopyProgramFiles(native);
            std::printf("Install_Exit: %d\n",
                        installExit(nullptr, dir.c_str(), ok ? 0 : 1, 0, 0, 0, 0));
        }
    } else {
        result = uninstallInit(nullptr, dir.c_str());
        std::printf("Uninstall_Init: %d\n", result);
        if (result == SONVALE_SETUP_CONTINUE) {
            std::printf("Uninstall_Exit: %d\n", uninstallExit(nullptr));
            ReportLeftovers(native);
        }
    }
    dlclose(library);
    return ok ? 0 : 1;
}
