// What a playlist entry costs on the heap: writes a 9,999-entry playlist file of paths like the
// start-up bench's (a temporary folder, "tracks/track-NNNN.mp3"), loads it into a playlist and
// prints the heap taken per entry (mallinfo2 before and after the load), and what a played list
// holding every entry adds.
// Usage: playlist-memory [FOLDER]   (the file is written there; default /tmp)
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "playlist/Archive.h"
#include "playlist/Playlist.h"
#include "playlist/QuietPlaylistHost.h"
#include "settings/SettingNames.h"

#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Bytes in use: small blocks, and the large ones malloc maps on their own.
size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : "/tmp";
    const std::filesystem::path listFile = folder / "playlist-memory.wpl";
    const std::u16string base = u"/tmp/tmp.Xk3v9QmWb2/tracks/track-";
    Archive archive;
    archive.WriteInt32(Playlist::kMaxEntries);
    for (int i = 1; i <= Playlist::kMaxEntries; ++i) {
        std::string number = std::to_string(i);
        number.insert(0, 4 - number.size(), '0');
        const std::u16string name = u"track-" + TextCodec::Utf8ToUtf16(number);
        for (const std::u16string& text :
             {name, base + name.substr(6) + u".mp3", std::u16string(u".mp3"), std::u16string(),
              name, std::u16string(), std::u16string(), std::u16string()})
            archive.WriteString(text);
        archive.WriteInt32(1);
    }
    std::ofstream(listFile, std::ios::binary) << archive.Bytes();

    Registry registry((folder / "playlist-memory.db").string());
    Profile profile(registry, setting::kRegistryKeyWord, setting::kProfileName);
    QuietPlaylistHost host;
    const size_t before = HeapInUse();
    {
        Playlist list(profile, host);
        list.PlaylistLoad(TextCodec::Utf8ToUtf16(listFile.string()), false);
        const size_t after = HeapInUse();
        std::printf("entries: %d\nheap: %zu bytes\nper entry: %.1f bytes\n", list.Count(),
                    after - before, static_cast<double>(after - before) / list.Count());
        // A shuffle cycle that played every entry.
        std::vector<std::u16string> played;
        for (int i = 0; i < list.Count(); ++i)
            played.emplace_back(list.PathAt(i));
        const size_t withPaths = HeapInUse();
        list.SetPlayedList(played);
        std::printf("played list of every entry: %.1f bytes per entry\n",
                    static_cast<double>(HeapInUse() - withPaths) / list.Count());
    }
    std::filesystem::remove(listFile);
    std::filesystem::remove(folder / "playlist-memory.db");
    return 0;
}
