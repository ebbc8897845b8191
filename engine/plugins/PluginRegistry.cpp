#include "engine/plugins/PluginRegistry.h"

#include "platform/Folders.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kEntryName[] = "GetDecoderPlugin";

// Whether the file's bytes hold the entry point's name (as its dynamic symbol table would). A
// library without it is no plug-in, and it is not loaded: loading links in all it needs.
bool MayBePlugin(const std::string& file) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    bool found = false;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        const size_t size = static_cast<size_t>(info.st_size);
        void* bytes = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (bytes != MAP_FAILED) {
            found = memmem(bytes, size, kEntryName, sizeof kEntryName) != nullptr;
            munmap(bytes, size);
        }
    }
    close(fd);
    return found;
}

} // namespace

PluginRegistry::~PluginRegistry() {
    for (const Entry& entry : m_entries) {
        entry.table->Quit();
        if (entry.module)
            dlclose(entry.module);
    }
}

std::vector<std::string> PluginRegistry::DefaultFolders() {
    const std::string program = Folders::ProgramFolder();
    if (program.empty())
        return {};
    return {program, Folders::FolderOf(program) + "/lib/sonvale/plugins"};
}

void PluginRegistry::LoadFolder(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code statError;
        if (it->path().extension() == ".so" && !it->is_directory(statError))
            files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        if (!MayBePlugin(file))
            continue;
        void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module)
            continue;
        auto get = reinterpret_cast<GetDecoderPluginFunction>(dlsym(module, kEntryName));
        if (!get || !Register(module, get()))
            dlclose(module);
    }
}

bool PluginRegistry::Add(const DecoderPlugin* table) {
    return Register(nullptr, table);
}

bool PluginRegistry::Acceptable(const DecoderPlugin* t) {
    return t && t->version == DECODER_PLUGIN_VERSION && t->level == DECODER_PLUGIN_LEVEL &&
           t->Init && t->Quit && t->Caps && t->Name && t->SetEq && t->Config && t->ExtCount &&
           t->Ext && t->CheckFile && t->OpenFile && t->Seek && t->Begin && t->Decode && t->End &&
           t->CloseFile && t->Tag && t->FileTag && t->OpenStream && t->DecodeStream &&
           t->CloseStream;
}

bool PluginRegistry::Register(void* module, const DecoderPlugin* table) {
    if (!Acceptable(table))
        return false;
    table->Init(DECODER_PLUGIN_LEVEL);
    m_entries.push_back({module, table, table->Caps()});
    return true;
}

void PluginRegistry::SetEqualizer(const DecoderPluginEqualizer& equalizer) const {
    for (const Entry& entry : m_entries)
        if (entry.caps & DECODER_PLUGIN_EQ)
            entry.table->SetEq(&equalizer);
}
