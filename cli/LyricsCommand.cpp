#include "cli/LyricsCommand.h"

#include "lyrics/LrcFile.h"
#include "lyrics/LyricsData.h"
#include "lyrics/LyricsDownloader.h"
#include "lyrics/LyricsLoader.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/RegularFile.h"
#include "platform/TextCodec.h"
#include "runtime/TagFields.h"
#include "runtime/fsound.h"
#include "settings/Settings.h"

#include <cerrno>
#include <cstdio>

namespace {

// The lyrics of the track as the player loads them when it opens it as a stream.
void Load(const std::string& file, LyricsData& data) {
    const std::u16string path = TextCodec::Utf8ToUtf16(file);
    const size_t slash = path.rfind(u'/');
    const size_t dot = path.rfind(u'.');
    const std::u16string extension =
        dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash)
            ? path.substr(dot)
            : std::u16string();
    TagFields tags;
    tags.Load(file);
    const TagLyrics::TagFieldFinder finder = [&tags](const char* name, const uint8_t*& bytes,
                                                     int& length) {
        const TagFields::Field* field = tags.Find(FSOUND_TAGFIELD_ID3V2, name);
        if (field == nullptr)
            return false;
        bytes = field->value.data();
        length = static_cast<int>(field->value.size());
        return true;
    };
    LrcFile::EntryText entry;
    LyricsLoader::Load(path, extension, LyricsLoader::Opened::Stream, false, finder, data, entry);
}

bool Download(const std::string& file) {
    Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
    LyricsDownloader downloader(profile);
    // Lyrics files the track has already stay as they are.
    downloader.SetReplaceExisting(false);
    return downloader.DownloadLyrics(TextCodec::Utf8ToUtf16(file),
                                     Settings::Get(profile, setting::kAppendSecondLine) != 0,
                                     Settings::Get(profile, setting::kAppendThirdLine) != 0);
}

} // namespace

int PrintLyrics(const std::string& file, bool download) {
    if (!RegularFile::Check(file)) {
        std::fprintf(stderr, "sonvale-cli: cannot open %s: %s\n", file.c_str(),
                     RegularFile::ErrorText(errno).c_str());
        return 1;
    }
    LyricsData data;
    Load(file, data);
    if (data.times.empty() && download && Download(file))
        Load(file, data);
    if (data.times.empty()) {
        std::fprintf(stderr, "sonvale-cli: %s has no synchronised lyrics%s\n", file.c_str(),
                     download ? ", and the lyrics services have none either"
                              : " (--download asks the lyrics services)");
        return 1;
    }
    // The player keeps a line per half second, so the times are those it shows the lines at.
    for (const int key : data.times) {
        const int ms = key * LyricsData::kMsPerKey;
        std::printf("[%02d:%02d.%02d]%s\n", ms / 60000, ms / 1000 % 60, ms % 1000 / 10,
                    TextCodec::Utf16ToUtf8(data.textByTime[key]).c_str());
    }
    return 0;
}
