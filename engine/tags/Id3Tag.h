#pragma once

#include "engine/core/PlayerTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Reads ID3 tags (ID3v2.2, 2.3 and 2.4, and ID3v1) into a TagInfo. Readers fill what they find
// and leave the rest of the record as it was.
class Id3Tag {
public:
    static constexpr size_t kHeaderBytes = 10; // ID3v2 tag header
    static constexpr size_t kV1Bytes = 128;    // ID3v1 block at the end of a file

    // The file's ID3v2 tag, or when that can't be read, its ID3v1 tag. False when the file
    // can't be opened or neither tag could be read.
    static bool ReadFile(const std::u16string& path, TagInfo& tag);

    // An ID3v2 tag at the start of `bytes`. True once the tag header is valid ("ID3", major
    // version 0..4), whatever frames follow; frames are read as far as `length` reaches.
    static bool ReadV2(const uint8_t* bytes, size_t length, TagInfo& tag);

    // An ID3v1 tag in the last 128 bytes of `bytes`; false without "TAG" there.
    static bool ReadV1(const uint8_t* bytes, size_t length, TagInfo& tag);

    // The same from an open file descriptor. Reads go through pread, so the descriptor's
    // position is never moved. A tag cut short by the end of the file fails.
    static bool ReadV2File(int fd, TagInfo& tag);
    static bool ReadV1File(int fd, TagInfo& tag);
};
