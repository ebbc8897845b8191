#pragma once

#include <cstdint>
#include <string>

// One playlist entry. Texts are UTF-16; a record is copied by value.
struct FileInfo {
    std::u16string name;     // file name without folder and extension; a stream's address
    std::u16string path;     // full path, or the "http://" address of a stream
    std::u16string ext;      // extension with its dot, lower case (".mp3", ".url", ...)
    std::u16string playTime; // "mm:ss", filled when the entry is opened
    std::u16string title;    // from the tags, else the name
    std::u16string artist;
    std::u16string album;
    std::u16string reserved; // stored and read with the entry, never filled
    int32_t favorite = 1;    // 1: the entry belongs to the favourites
    int32_t showArtist = 0;  // in memory only: copy of "DispArtist" while a list is shown
    bool missing = false;    // in memory only: the file was not there when the list was loaded

    void Reset() { *this = FileInfo{}; }
    bool operator==(const FileInfo&) const = default;
};
