#include "lyrics/LyricsLoader.h"

#include "lyrics/LyricsData.h"

#include <vector>

namespace {

struct TagSource {
    const char* name;
    LyricsLoader::Source source;
    bool ldb; // only with the LDB setting on
};

std::u16string LowerExtension(const std::u16string& extension) {
    std::u16string out = extension.starts_with(u'.') ? extension.substr(1) : extension;
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

} // namespace

LyricsLoader::Source LyricsLoader::Load(const std::u16string& trackPath,
                                        const std::u16string& extension, Opened opened,
                                        bool useLdbLyrics, const TagLyrics::TagFieldFinder& finder,
                                        LyricsData& data, LrcFile::EntryText& entry) {
    data.LyricsReset();
    if (opened == Opened::None)
        return Source::None;

    Source source = Source::None;
    auto tryText = [&](std::u16string text, Source from) {
        if (data.lyrics.empty() && !text.empty()) {
            data.lyrics = std::move(text);
            source = from;
        }
    };

    tryText(LrcFile::LoadLrcFile(trackPath, data, entry), Source::LrcFile);
    if (opened == Opened::Stream) {
        static const std::vector<TagSource> kMp3 = {
            {"SYLT", Source::Sylt, false},
            {"WSLT", Source::Wslt, true},
            {"USLT", Source::Uslt, true},
        };
        static const std::vector<TagSource> kOgg = {
            {"JETAUDIO_SYNCLYRIC", Source::Synclyric, false},
            {"WLDB", Source::Wldb, true},
            {"LDB", Source::Ldb, true},
        };
        const std::u16string ext = LowerExtension(extension);
        const std::vector<TagSource>* tags =
            ext == u"mp3" ? &kMp3 : (ext == u"ogg" ? &kOgg : nullptr);
        if (tags != nullptr) {
            for (const TagSource& tag : *tags) {
                if (!data.lyrics.empty())
                    break;
                if (tag.ldb && !useLdbLyrics)
                    continue;
                tryText(TagLyrics::Read(finder, tag.name, data), tag.source);
            }
        }
    }
    if (data.lyrics.empty())
        tryText(LrcFile::LoadTextFile(trackPath), Source::TextFile);
    data.SortLyrics();
    return source;
}
