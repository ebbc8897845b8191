#pragma once

#include "engine/core/PlayerTypes.h"

#include <string>
#include <string_view>

class LibraryTagSource;

// Title, artist and album of a file about to become a playlist entry.
class EntryTags {
public:
    // Fills `info` from the file's tags; false when the path is not an existing file. The title
    // falls back to the file name without extension; trailing blanks are removed.
    static bool Fill(const std::u16string& path, TagInfo& info, LibraryTagSource* library);

    // The text of an ID3v2 frame as the run-time library hands it over: "T..." frames only with
    // text encoding 0 (the bytes after it), "COMM" after its 8 header bytes, nothing else. At
    // most 255 bytes up to a zero byte, in the system code page, without trailing blanks.
    static std::u16string FrameText(std::string_view name, std::string_view bytes);

    // The file name of a path without folder and extension, and the extension with its dot.
    static std::u16string Stem(std::u16string_view path);
    static std::u16string Extension(std::u16string_view path);
    static std::u16string Lower(std::u16string_view text);
    static std::u16string TrimRight(std::u16string_view text);
};
