#include "playback/FmodTagSource.h"

#include "playback/FmodLibrary.h"

bool FmodTagSource::Available() {
    return m_fsound && m_fsound->Stream_Open;
}

bool FmodTagSource::Open(const std::string& path) {
    Close();
    if (!Available())
        return false;
    m_stream = m_fsound->Stream_Open(path.c_str(), kTagOpenMode, 0, 0);
    return m_stream != nullptr;
}

bool FmodTagSource::FindField(const std::string& name, std::string& bytes) {
    bytes.clear();
    if (!m_stream)
        return false;
    const uint8_t* data = nullptr;
    int length = 0;
    if (!Finder(*m_fsound, m_stream)(name.c_str(), data, length))
        return false;
    bytes.assign(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    return true;
}

void FmodTagSource::Close() {
    if (m_stream)
        m_fsound->Stream_Close(m_stream);
    m_stream = nullptr;
}

TagLyrics::TagFieldFinder FmodTagSource::Finder(const FmodFunctions& fsound,
                                                FSOUND_STREAM* stream) {
    return [&fsound, stream](const char* name, const uint8_t*& data, int& length) {
        void* value = nullptr;
        length = 0;
        if (!stream || !name ||
            !fsound.Stream_FindTagField(stream, FSOUND_TAGFIELD_ID3V2, name, &value, &length) ||
            !value || length < 0)
            return false;
        data = static_cast<const uint8_t*>(value);
        return true;
    };
}
