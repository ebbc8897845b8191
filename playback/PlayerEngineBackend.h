#pragma once

#include "playback/EngineBackend.h"

class Player;

// The controller's side of the built-in engine: its interface functions over one Player.
class PlayerEngineBackend : public EngineBackend {
public:
    // `player` may be null: every call then fails or answers 0.
    explicit PlayerEngineBackend(Player* player) : m_player(player) {}

    bool OpenFile(const std::u16string& path) override;
    bool OpenUrl(const std::u16string& url) override;
    void Close() override;
    bool Play() override;
    void Stop() override;
    void Pause() override;
    bool Seek(int32_t ms) override;
    int32_t Position() override;
    int32_t Duration() override;
    bool GetFileInfo(PlayerFileInfo& info) override;
    bool FileTag(const std::u16string& path, TagInfo& tag) override;
    void SetVolume(uint32_t volume) override;
    int32_t StreamingState() override;
    int32_t StreamingBuffered() override;
    int32_t PrebufferBlocks() override;
    std::u16string StreamTitle() override;

private:
    Player* m_player;
};
