#pragma once

#include "lyrics/LrcFile.h"
#include "lyrics/TagLyrics.h"

#include <string>

class LyricsData;

// Finds the lyrics of a track that has just been opened, trying the sources in order until one
// gives lyrics: the LRC file beside the track, the timed lyrics in its tags, and last the plain
// text file beside it.
class LyricsLoader {
public:
    // How the track is open.
    enum class Opened {
        None,        // not open: no lyrics
        MediaPlayer, // played by the media player control: files only
        Stream,      // open as a stream of the run-time library: files and tag fields
    };

    // The source that gave the lyrics.
    enum class Source {
        None,
        LrcFile,
        Sylt,
        Wslt,
        Uslt,
        Synclyric,
        Wldb,
        Ldb,
        TextFile,
    };

    // Resets `data`, loads the lyrics into it and sorts its keys. `extension` is the track's
    // (".mp3", "ogg"; any case). The LDB sources are tried only with `useLdbLyrics`. `finder`
    // reads the open stream's tag fields. `entry` takes the title, artist and album of an LRC file.
    static Source Load(const std::u16string& trackPath, const std::u16string& extension,
                       Opened opened, bool useLdbLyrics, const TagLyrics::TagFieldFinder& finder,
                       LyricsData& data, LrcFile::EntryText& entry);
};
