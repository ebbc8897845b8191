// Loads the input as an INI file, reads every value as a number and a colour, then saves the
// document and loads it again: whatever the parser accepts must come back unchanged, since it
// never produces a key with "=", a value with a line break or one that begins with a blank.
#include "support/IniFile.h"

#include "platform/TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string MakeFolder() {
    std::string pattern = "/dev/shm/sonvale-ini-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        pattern = "/tmp/sonvale-ini-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
    }
    return pattern;
}

void RemoveFolder();

// A folder of this process, removed at exit.
const std::string& Folder() {
    static const std::string folder = MakeFolder();
    // Registered once the name exists, so that it is removed before the name goes away.
    static const bool cleanup = std::atexit(RemoveFolder) == 0;
    (void)cleanup;
    return folder;
}

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
}

bool SameDocument(const IniFile& a, const IniFile& b) {
    if (a.GetSectionOrder() != b.GetSectionOrder())
        return false;
    for (const std::u16string& name : a.GetSectionOrder()) {
        const IniSection* left = a.GetSection(name);
        const IniSection* right = b.GetSection(name);
        if (left == nullptr || right == nullptr || left->GetKeyOrder() != right->GetKeyOrder())
            return false;
        for (const std::u16string& key : left->GetKeyOrder()) {
            std::u16string x, y;
            if (!left->GetValue(key, x) || !right->GetValue(key, y) || x != y)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = Folder() + "/input.ini";
    const std::string output = Folder() + "/output.ini";
    {
        std::ofstream file(input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    IniFile ini;
    const bool loaded = ini.Load(TextCodec::Utf8ToUtf16(input));
    if (loaded != (size > 0))
        __builtin_trap();
    for (const std::u16string& name : ini.GetSectionOrder()) {
        const IniSection* section = ini.GetSection(name);
        if (section == nullptr)
            __builtin_trap();
        for (const std::u16string& key : section->GetKeyOrder()) {
            int number = 0;
            std::uint32_t color = 0;
            if (!ini.GetInt(name, key, number) || !ini.GetColor(name, key, color))
                __builtin_trap();
            if (color > 0xFFFFFF)
                __builtin_trap();
        }
    }

    if (!ini.Save(TextCodec::Utf8ToUtf16(output)) || ini.IsModified())
        __builtin_trap();
    IniFile again;
    if (!again.Load(TextCodec::Utf8ToUtf16(output)) || !SameDocument(ini, again))
        __builtin_trap();
    return 0;
}
