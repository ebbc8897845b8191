#pragma once

#include <cstdint>
#include <string>

// One playlist entry. Texts are UTF-16; a record is copied by value.
struct _SFileInfo {
    std::u16string strName;     // file name without folder and extension; a stream's address
    std::u16string strPath;     // full path, or the "http://" address of a stream
    std::u16string strExt;      // extension with its dot, lower case (".mp3", ".url", ...)
    std::u16string strPlayTime; // "mm:ss", filled when the entry is opened
    std::u16string strTitle;    // from the tags, else strName
    std::u16string strArtist;
    std::u16string strAlbum;
    std::u16string strReserved; // stored and read with the entry, never filled
    int32_t nFavorite = 1;      // 1: the entry belongs to the favourites
    int32_t nShowArtist = 0;    // in memory only: copy of "DispArtist" while a list is shown
    bool bMissing = false;      // in memory only: the file was not there when the list was loaded

    void Reset() { *this = _SFileInfo{}; }
};
