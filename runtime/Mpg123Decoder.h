#pragma once

#include "runtime/StreamDecoder.h"

#include <memory>

struct mpg123_handle_struct;

// MPEG audio (layers I-III) through libmpg123, always as signed 16-bit samples at the file's
// own rate and channel count. Gapless trimming is off: every decoded frame is output whole,
// so the length is frames times samples per frame.
class Mpg123Decoder : public StreamDecoder {
public:
    ~Mpg123Decoder() override;

    // Decodes the file open on `fd`, read from its start; the decoder owns `fd` from here on,
    // also when it fails. Null on failure with `error` set (FMOD_ERR_FILE_BAD when no frame can be
    // decoded).
    static std::unique_ptr<Mpg123Decoder> Open(int fd, bool exactLength, int& error);

    int Rate() const override { return m_rate; }
    int Channels() const override { return m_channels; }
    int64_t LengthFrames() const override { return m_length; }
    int Read(int16_t* out, int frames) override;
    bool Seek(int64_t frame) override;

private:
    class FileReader;

    Mpg123Decoder() = default;

    int m_fd = -1;
    std::unique_ptr<FileReader> m_reader;
    mpg123_handle_struct* m_handle = nullptr;
    int m_rate = 0;
    int m_channels = 0;
    int64_t m_length = 0;
};
