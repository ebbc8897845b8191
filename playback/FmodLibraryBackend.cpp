#include "playback/FmodLibraryBackend.h"

#include "playback/FmodLibrary.h"
#include "playback/FmodTagSource.h"
#include "playback/LibraryEffects.h"

bool FmodLibraryBackend::Open(const std::string& path, unsigned mode) {
    Close();
    m_stream = m_fsound.Stream_Open(path.c_str(), mode, 0, 0);
    m_playedOut = false;
    if (m_stream)
        m_fsound.Stream_SetEndCallback(m_stream, &FmodLibraryBackend::StreamEnded, this);
    return m_stream != nullptr;
}

signed char FmodLibraryBackend::StreamEnded(FSOUND_STREAM*, void*, int, void* backend) {
    static_cast<FmodLibraryBackend*>(backend)->m_playedOut = true;
    return 1;
}

int FmodLibraryBackend::OpenState() {
    return m_stream ? m_fsound.Stream_GetOpenState(m_stream) : FSOUND_OPENSTATE_FAILED;
}

void FmodLibraryBackend::Close() {
    if (!m_stream)
        return;
    m_fsound.Stream_Stop(m_stream);
    m_fsound.Stream_Close(m_stream);
    m_stream = nullptr;
}

int FmodLibraryBackend::LastError() {
    return m_fsound.GetError();
}

int FmodLibraryBackend::LengthMs() {
    return m_stream ? m_fsound.Stream_GetLengthMs(m_stream) : 0;
}

int FmodLibraryBackend::LengthBytes() {
    return m_stream ? m_fsound.Stream_GetLength(m_stream) : 0;
}

int FmodLibraryBackend::DefaultRate() {
    FSOUND_SAMPLE* sample = m_stream ? m_fsound.Stream_GetSample(m_stream) : nullptr;
    int rate = 0, volume = 0, pan = 0, priority = 0;
    if (!sample || !m_fsound.Sample_GetDefaults(sample, &rate, &volume, &pan, &priority))
        return 0;
    return rate;
}

TagLyrics::TagFieldFinder FmodLibraryBackend::Finder() {
    return FmodTagSource::Finder(m_fsound, m_stream);
}

int FmodLibraryBackend::Play() {
    m_playedOut = false;
    return m_stream ? m_fsound.Stream_Play(FSOUND_FREE, m_stream) : -1;
}

void FmodLibraryBackend::Stop() {
    if (m_stream)
        m_fsound.Stream_Stop(m_stream);
}

int FmodLibraryBackend::TimeMs() {
    return m_stream ? m_fsound.Stream_GetTime(m_stream) : 0;
}

void FmodLibraryBackend::SetTimeMs(int ms) {
    m_playedOut = false;
    if (m_stream)
        m_fsound.Stream_SetTime(m_stream, ms);
}

void FmodLibraryBackend::SetPaused(int channel, bool paused) {
    m_fsound.SetPaused(channel, paused ? 1 : 0);
}

void FmodLibraryBackend::SetSurround(int channel, bool on) {
    m_fsound.SetSurround(channel, on ? 1 : 0);
}

int FmodLibraryBackend::Frequency(int channel) {
    return m_fsound.GetFrequency(channel);
}

void FmodLibraryBackend::SetFrequency(int channel, int hz) {
    m_fsound.SetFrequency(channel, hz);
}

void FmodLibraryBackend::SetVolume(int volume) {
    m_fsound.SetVolume(FSOUND_ALL, volume);
}

bool FmodLibraryBackend::Levels(int channel, float& left, float& right) {
    left = right = 0.0f;
    return m_fsound.GetCurrentLevels(channel, &left, &right) != 0;
}

void FmodLibraryBackend::ResetEffects() {
    if (m_effects)
        m_effects->ClearHistory();
}
