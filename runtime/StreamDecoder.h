#pragma once

#include <cstdint>
#include <memory>
#include <string>

// One open audio file decoded to interleaved signed 16-bit PCM in the file's own channel count
// and rate. Not thread-safe: the library calls one decoder from one thread at a time.
class StreamDecoder {
public:
    virtual ~StreamDecoder() = default;

    // Opens `path` with the decoder its contents call for (MPEG audio through mpg123, Ogg Vorbis
    // through libvorbisfile, WAV and other sound files through libsndfile). exactLength: an MPEG
    // file is scanned whole, so LengthFrames is exact also for VBR files without a Xing header.
    // On failure null, and `error` is an FMOD_ERR_* code: FILE_NOTFOUND when the file can't be
    // opened, FILE_FORMAT when no decoder takes it, FILE_BAD when a decoder takes it but fails.
    static std::unique_ptr<StreamDecoder> Open(const std::string& path, bool exactLength,
                                               int& error);

    virtual int Rate() const = 0;
    virtual int Channels() const = 0;
    // Total sample frames; exact or estimated as described at Open.
    virtual int64_t LengthFrames() const = 0;
    // Decodes up to `frames` frames into `out` (room for frames * Channels() samples). Answers
    // the frames written, 0 at the end of the file, -1 on a read or decoding error.
    virtual int Read(int16_t* out, int frames) = 0;
    // Moves to sample frame `frame` (0 .. LengthFrames()); false when it can't.
    virtual bool Seek(int64_t frame) = 0;
};
