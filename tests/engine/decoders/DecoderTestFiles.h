#pragma once

#include "engine/core/PlayerTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// Fixtures and whole-file decodes shared by the decoder tests.
struct Pcm {
    int channels = 0;
    int rate = 0;
    std::vector<int16_t> samples; // interleaved
    size_t Frames() const { return channels ? samples.size() / channels : 0; }
};

std::string Fixture(const std::string& name);
std::u16string Fixture16(const std::string& name);
std::string ReadBytes(const std::string& path);
Pcm ReadWav(const std::string& path); // 16-bit PCM

// Decodes MPEG audio like the engine's frame feeder: search the next header (of the file's
// stream, when decoding a file), decode, skip a byte on errors; guard bytes after the end.
Pcm DecodeMpeg(const std::string& path, const EqualizerParams* eq = nullptr,
               size_t blockBytes = 4608);
Pcm DecodeMpegBytes(const std::string& bytes, size_t blockBytes = 4608);

Pcm DecodeOggFile(const std::string& path);
// OggStream fed in 4096-byte chunks; `comments` gets each logical stream's comments.
Pcm DecodeOggStream(const std::string& bytes, size_t blockBytes,
                    std::vector<std::vector<std::string>>* comments = nullptr);

// SNR in dB of `ours` against `ref`, ours[offset + i] matching ref[i] (sample frames).
double SnrDb(const Pcm& ours, const Pcm& ref, size_t offset = 0);
