#pragma once

#include <string>

// Writes downloaded lyrics as a UTF-16 LRC file beside the audio file.
class LrcFileWriter {
public:
    // The LRC file of an audio file: its extension replaced by ".lrc" (added when it has none).
    static std::string LrcPath(const std::string& audioPath);
    // The plain-text lyrics file of an audio file, ".txt" in the same way.
    static std::string TextPath(const std::string& audioPath);

    // The file's bytes: the UTF-16 little-endian byte-order mark, the artist, title and album
    // tags, then the lines, all in UTF-16 little-endian.
    static std::string Contents(const std::u16string& artist, const std::u16string& title,
                                const std::u16string& album, const std::u16string& lines);

    // Writes `bytes` to `path` through a temporary file in the same folder that is renamed
    // over it at the end, so that the old file stays whole when anything fails. Without
    // `replace` an existing file is left as it is and the write fails.
    static bool WriteAtomically(const std::string& path, const std::string& bytes,
                                bool replace = true);
};
