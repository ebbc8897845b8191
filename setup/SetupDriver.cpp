// sonvale-setup: calls the setup library's hooks the way an installer does.
//   sonvale-setup install DIR     Install_Init, (files are copied), Install_Exit
//   sonvale-setup uninstall DIR   Uninstall_Init, (files are removed), Uninstall_Exit

#include "platform/Folders.h"
#include "platform/TextCodec.h"
#include "setup/SetupHooks.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <string>

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
    int result;
    if (command == "install") {
        result = installInit(nullptr, 1, 0, dir.c_str());
        std::printf("Install_Init: %d\n", result);
        if (result == SONVALE_SETUP_CONTINUE)
            std::printf("Install_Exit: %d\n", installExit(nullptr, dir.c_str(), 0, 0, 0, 0, 0));
    } else {
        result = uninstallInit(nullptr, dir.c_str());
        std::printf("Uninstall_Init: %d\n", result);
        if (result == SONVALE_SETUP_CONTINUE)
            std::printf("Uninstall_Exit: %d\n", uninstallExit(nullptr));
    }
    dlclose(library);
    return 0;
}
