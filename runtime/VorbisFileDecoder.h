#pragma once

#include "runtime/StreamDecoder.h"

#include <cstdio>
#include <memory>

struct OggVorbis_File;

// Ogg Vorbis through libvorbisfile, as signed 16-bit little-endian samples. A chained file
// plays its links one after the other as long as they share the first link's rate and channel
// count; the first link that differs ends the stream there (it is neither played nor counted
// in the length), since the caller plays one format for the whole stream.
class VorbisFileDecoder : public StreamDecoder {
public:
    ~VorbisFileDecoder() override;

    // Null on failure with `error` set: FMOD_ERR_FILE_FORMAT when the file is not Ogg Vorbis,
    // FMOD_ERR_FILE_BAD when it is but can't be read.
    // The file open on `fd`, read from its start; the decoder owns `fd`, also when it fails.
    static std::unique_ptr<VorbisFileDecoder> Open(int fd, int& error);

    int Rate() const override { return m_rate; }
    int Channels() const override { return m_channels; }
    int64_t LengthFrames() const override { return m_length; }
    int Read(int16_t* out, int frames) override;
    bool Seek(int64_t frame) override;

private:
    VorbisFileDecoder();

    std::FILE* m_stdio = nullptr;
    std::unique_ptr<OggVorbis_File> m_file;
    bool m_open = false;
    int m_rate = 0;
    int m_channels = 0;
    int m_links = 0; // leading links in the first link's format
    int64_t m_length = 0;
    bool m_ended = false;
};
