#include "runtime/RuntimeStream.h"

#include <sys/stat.h>

#include <algorithm>

std::unique_ptr<RuntimeStream> RuntimeStream::Open(const std::string& path, bool exactLength,
                                                   int& error) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        error = FMOD_ERR_FILE_NOTFOUND;
        return nullptr;
    }
    std::unique_ptr<RuntimeStream> stream(new RuntimeStream);
    stream->m_path = path;
    stream->m_fileBytes = info.st_size;
    if (exactLength) {
        RuntimeStream* self = stream.get();
        stream->m_worker = std::thread([self] { self->Load(true); });
        return stream;
    }
    stream->Load(false);
    if (!stream->Ready()) {
        error = stream->m_openError;
        return nullptr;
    }
    return stream;
}

RuntimeStream::~RuntimeStream() {
    if (m_worker.joinable())
        m_worker.join();
}

void RuntimeStream::Load(bool exactLength) {
    int error = FMOD_ERR_NONE;
    m_decoder = StreamDecoder::Open(m_path, exactLength, error);
    if (!m_decoder || m_decoder->Rate() <= 0 || m_decoder->Channels() <= 0) {
        m_decoder.reset();
        m_openError = error != FMOD_ERR_NONE ? error : FMOD_ERR_FILE_BAD;
        m_openState.store(FSOUND_OPENSTATE_FAILED, std::memory_order_release);
        return;
    }
    m_sample.frequency = m_decoder->Rate();
    m_channels = m_decoder->Channels();
    m_lengthFrames = std::max<int64_t>(0, m_decoder->LengthFrames());
    m_tags.Load(m_path);
    m_openState.store(FSOUND_OPENSTATE_READY, std::memory_order_release);
}

int RuntimeStream::LengthMs() const {
    return static_cast<int>(m_lengthFrames * 1000 / m_sample.frequency);
}

int RuntimeStream::PositionMs(int64_t queuedFrames) const {
    int64_t heard = std::max(std::min(m_start, m_position), m_position - queuedFrames);
    return static_cast<int>(heard * 1000 / m_sample.frequency);
}

bool RuntimeStream::Seek(int ms) {
    if (ms < 0)
        return false;
    int64_t frame = std::min<int64_t>(int64_t{ms} * m_sample.frequency / 1000, m_lengthFrames);
    if (!m_decoder->Seek(frame))
        return false;
    m_position = frame;
    m_start = frame;
    return true;
}
