#include "playback/PlayerEngineBackend.h"

#include "engine/player/PlayerApi.h"

bool CPlayerEngineBackend::OpenFile(const std::u16string& path) {
    return m_player && PlayerOpenFile(m_player, path.c_str());
}

bool CPlayerEngineBackend::OpenUrl(const std::u16string& url) {
    return m_player && PlayerOpenUrl(m_player, url.c_str());
}

void CPlayerEngineBackend::Close() {
    if (m_player)
        PlayerClose(m_player);
}

bool CPlayerEngineBackend::Play() {
    return m_player && PlayerPlay(m_player);
}

void CPlayerEngineBackend::Stop() {
    if (m_player)
        PlayerStop(m_player);
}

void CPlayerEngineBackend::Pause() {
    if (m_player)
        PlayerPause(m_player);
}

bool CPlayerEngineBackend::Seek(int32_t ms) {
    return m_player && PlayerSeek(m_player, ms);
}

int32_t CPlayerEngineBackend::Position() {
    return m_player ? PlayerGetPosition(m_player) : 0;
}

int32_t CPlayerEngineBackend::Duration() {
    return m_player ? PlayerGetDuration(m_player) : 0;
}

bool CPlayerEngineBackend::FileInfo(PlayerFileInfo& info) {
    return m_player && PlayerGetFileInfo(m_player, &info);
}

void CPlayerEngineBackend::SetVolume(uint32_t volume) {
    if (m_player)
        PlayerSetVolume(m_player, volume);
}

int32_t CPlayerEngineBackend::StreamingState() {
    return m_player ? PlayerGetStreamingState(m_player) : 0;
}

int32_t CPlayerEngineBackend::StreamingBuffered() {
    return m_player ? PlayerGetStreamingBuffered(m_player) : 0;
}

int32_t CPlayerEngineBackend::PrebufferBlocks() {
    StreamingOptions options;
    if (!m_player || !PlayerGetStreamingOptions(m_player, &options))
        return 0;
    return options.prebufferSize;
}

std::u16string CPlayerEngineBackend::StreamTitle() {
    char16_t text[260] = {}; // the engine writes at most 260 units
    if (!m_player || !PlayerGetStreamTitle(m_player, text))
        return {};
    return text;
}
