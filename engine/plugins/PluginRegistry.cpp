#include "engine/plugins/PluginRegistry.h"

#include "platform/Folders.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kEntryName[] = "GetDecoderPlugin";

// Whether the library's dynamic symbol names hold the entry point's. A library without it is no
// plug-in, and it is not loaded: loading links in all it needs. Only the section headers and the
// names are read, not the whole file.
bool MayBePlugin(const std::string& file) {
    constexpr size_t kMaxNamesBytes = 16 * 1024 * 1024;
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const auto readAt = [fd](void* to, size_t size, off_t offset) {
        return pread(fd, to, size, offset) == static_cast<ssize_t>(size);
    };
    struct stat info {};
    ElfW(Ehdr) header{};
    std::vector<ElfW(Shdr)> sections;
    bool found = false;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && readAt(&header, sizeof header, 0) &&
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
        header.e_ident[EI_CLASS] == (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) &&
        header.e_shentsize == sizeof(ElfW(Shdr))) {
        sections.resize(header.e_shnum);
        if (!readAt(sections.data(), sections.size() * sizeof(ElfW(Shdr)),
                    static_cast<off_t>(header.e_shoff)))
            sections.clear();
    }
    for (const ElfW(Shdr) & symbols : sections) {
        if (symbols.sh_type != SHT_DYNSYM || symbols.sh_link >= sections.size())
            continue;
        const ElfW(Shdr)& names = sections[symbols.sh_link];
        if (names.sh_size > kMaxNamesBytes || names.sh_offset > static_cast<size_t>(info.st_size))
            break;
        std::vector<char> bytes(names.sh_size);
        found = readAt(bytes.data(), bytes.size(), static_cast<off_t>(names.sh_offset)) &&
                memmem(bytes.data(), bytes.size(), kEntryName, sizeof kEntryName) != nullptr;
        break;
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
