#include "playback/PlayerEngineBackend.h"

#include "engine/player/PlayerApi.h"

bool PlayerEngineBackend::OpenFile(const std::u16string& path) {
    return m_player && PlayerOpenFile(m_player, path.c_str());
}

bool PlayerEngineBackend::OpenUrl(const std::u16string& url) {
    return m_player && PlayerOpenUrl(m_player, url.c_str());
}

void PlayerEngineBackend::Close() {
    if (m_player)
        PlayerClose(m_player);
}

bool PlayerEngineBackend::Play() {
    return m_player && PlayerPlay(m_player);
}

void PlayerEngineBackend::Stop() {
    if (m_player)
        PlayerStop(m_player);
}

void PlayerEngineBackend::Pause() {
    if (m_player)
        PlayerPause(m_player);
}

bool PlayerEngineBackend::Seek(int32_t ms) {
    return m_player && PlayerSeek(m_player, ms);
}

int32_t PlayerEngineBackend::Position() {
    return m_player ? PlayerGetPosition(m_player) : 0;
}

int32_t PlayerEngineBackend::Duration() {
    return m_player ? PlayerGetDuration(m_player) : 0;
}

bool PlayerEngineBackend::GetFileInfo(PlayerFileInfo& info) {
    return m_player && PlayerGetFileInfo(m_player, &info);
}

bool PlayerEngineBackend::FileTag(const std::u16string& path, TagInfo& tag) {
    return m_player && PlayerGetFileTag(m_player, path.c_str(), &tag);
}

void PlayerEngineBackend::SetVolume(uint32_t volume) {
    if (m_player)
        PlayerSetVolume(m_player, volume);
}

int32_t PlayerEngineBackend::StreamingState() {
    return m_player ? PlayerGetStreamingState(m_player) : 0;
}

int32_t PlayerEngineBackend::StreamingBuffered() {
    return m_player ? PlayerGetStreamingBuffered(m_player) : 0;
}

int32_t PlayerEngineBackend::PrebufferBlocks() {
    StreamingOptions options;
    if (!m_player || !PlayerGetStreamingOptions(m_player, &options))
        return 0;
    return options.prebufferSize;
}

std::u16string PlayerEngineBackend::StreamTitle() {
    char16_t text[260] = {}; // the engine writes at most 260 units
    if (!m_player || !PlayerGetStreamTitle(m_player, text))
        return {};
    return text;
}
