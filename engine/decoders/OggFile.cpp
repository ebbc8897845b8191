#include "engine/decoders/OggFile.h"

#include "engine/decoders/OggChain.h"
#include "platform/RegularFile.h"

#include <cstdio>

namespace {

FILE* OpenStdio(const std::u16string& path) {
    if (path.empty())
        return nullptr;
    return RegularFile::OpenStream(path);
}

} // namespace

OggFile::~OggFile() {
    Close();
}

bool OggFile::Probe(const std::u16string& path) {
    FILE* stdio = OpenStdio(path);
    if (!stdio)
        return false;
    OggVorbis_File test{};
    if (ov_test(stdio, &test, nullptr, 0) != 0) {
        std::fclose(stdio); // the layer leaves the stream to the caller when it fails
        return false;
    }
    ov_clear(&test); // closes the stream
    return true;
}

bool OggFile::Open(const std::u16string& path) {
    Close();
    FILE* stdio = OpenStdio(path);
    if (!stdio)
        return false;
    if (!OggChain::LinksIntact(stdio) || ov_open(stdio, &m_file, nullptr, 0) != 0) {
        std::fclose(stdio);
        return false;
    }
    m_open = true;
    m_totalSamples = ov_pcm_total(&m_file, -1);
    if (m_totalSamples <= 0 || Channels() <= 0 || Rate() <= 0) {
        Close();
        return false;
    }
    return true;
}

void OggFile::Close() {
    if (m_open)
        ov_clear(&m_file);
    m_open = false;
    m_totalSamples = 0;
}

int OggFile::Channels() const {
    const vorbis_info* info = m_open ? ov_info(&m_file, -1) : nullptr;
    return info ? info->channels : 0;
}

int OggFile::Rate() const {
    const vorbis_info* info = m_open ? ov_info(&m_file, -1) : nullptr;
    return info ? static_cast<int>(info->rate) : 0;
}

int OggFile::Bitrate() const {
    const vorbis_info* info = m_open ? ov_info(&m_file, -1) : nullptr;
    if (!info)
        return 0;
    if (info->bitrate_nominal > 0)
        return static_cast<int>(info->bitrate_nominal / 1000);
    const long average = ov_bitrate(&m_file, -1);
    return average > 0 ? static_cast<int>(average / 1000) : 0;
}

long OggFile::Read(uint8_t* out, int bytes) {
    if (!m_open)
        return -1;
    for (;;) {
        int link = 0;
        const long got = ov_read(&m_file, reinterpret_cast<char*>(out), bytes, &link);
        if (got != OV_HOLE)
            return got;
    }
}

bool OggFile::Seek(int64_t ms, int64_t& reachedSample) {
    if (!m_open)
        return false;
    if (ms < 0)
        ms = 0;
    const int64_t rate = Rate();
    if (rate <= 0)
        return false;
    // Far beyond any real stream's end (where the seek fails) when the product does not fit.
    const int64_t sample = ms > INT64_MAX / rate ? INT64_MAX : ms * rate / 1000;
    if (ov_pcm_seek(&m_file, sample) != 0)
        return false;
    reachedSample = ov_pcm_tell(&m_file);
    return true;
}

std::vector<std::string> OggFile::Comments() const {
    std::vector<std::string> comments;
    const vorbis_comment* vc = m_open ? ov_comment(&m_file, -1) : nullptr;
    for (int i = 0; vc && i < vc->comments; ++i) {
        if (vc->user_comments[i])
            comments.emplace_back(vc->user_comments[i],
                                  static_cast<size_t>(vc->comment_lengths[i]));
    }
    return comments;
}
