#pragma once

#include "runtime/StreamDecoder.h"

#include <memory>
#include <vector>

struct sf_private_tag;
struct SndFileFunctions;

// WAV and the other sound files libsndfile reads, as signed 16-bit samples. Integer formats are
// converted by libsndfile; floating-point ones are read as floats and scaled here, since
// libsndfile would not scale them to the 16-bit range.
class SndFileDecoder : public StreamDecoder {
public:
    ~SndFileDecoder() override;

    // Null on failure with `error` set: FMOD_ERR_FILE_FORMAT when libsndfile does not know the
    // format, FMOD_ERR_FILE_BAD when it knows it but can't read the file.
    // The file open on `fd`, read from its start; the decoder owns `fd`, also when it fails.
    static std::unique_ptr<SndFileDecoder> Open(int fd, int& error);

    int Rate() const override { return m_rate; }
    int Channels() const override { return m_channels; }
    int64_t LengthFrames() const override { return m_length; }
    int Read(int16_t* out, int frames) override;
    bool Seek(int64_t frame) override;

private:
    SndFileDecoder() = default;

    int m_fd = -1;
    const SndFileFunctions* m_sndfile = nullptr; // libsndfile, as its module binds it
    sf_private_tag* m_file = nullptr;
    int m_rate = 0;
    int m_channels = 0;
    int64_t m_length = 0;
    std::vector<float> m_floats; // staging for floating-point files, sized at Open
};
