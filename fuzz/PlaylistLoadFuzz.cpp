// Loads the input as a playlist file, then saves what was loaded and loads that again: the
// second load must keep every entry, and saving it must give the same bytes.
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "playlist/Playlist.h"
#include "playlist/QuietPlaylistHost.h"
#include "settings/SettingNames.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string MakeFolder() {
    std::string pattern = "/dev/shm/sonvale-playlist-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        pattern = "/tmp/sonvale-playlist-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
    }
    return pattern;
}

void RemoveFolder();

const std::string& Folder() {
    static const std::string folder = MakeFolder();
    static const bool cleanup = std::atexit(RemoveFolder) == 0;
    (void)cleanup;
    return folder;
}

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Registry registry(Folder() + "/registry.db");
    static Profile profile(registry, setting::kRegistryKeyWord, setting::kProfileName);
    static QuietPlaylistHost host;

    const std::string input = Folder() + "/input.wpl";
    const std::string first = Folder() + "/first.wpl";
    const std::string second = Folder() + "/second.wpl";
    {
        std::ofstream file(input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    Playlist list(profile, host);
    const bool loaded = list.PlaylistLoad(TextCodec::Utf8ToUtf16(input), true);
    if (loaded != (list.Count() > 0) || list.Count() > Playlist::kMaxEntries)
        __builtin_trap();
    if (!list.PlaylistSave(TextCodec::Utf8ToUtf16(first)))
        __builtin_trap();

    Playlist again(profile, host);
    again.PlaylistLoad(TextCodec::Utf8ToUtf16(first), true);
    if (again.Count() != list.Count() || again.Favorites() != list.Favorites())
        __builtin_trap();
    if (!again.PlaylistSave(TextCodec::Utf8ToUtf16(second)) || ReadAll(first) != ReadAll(second))
        __builtin_trap();
    return 0;
}
