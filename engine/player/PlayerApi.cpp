#include "engine/player/PlayerApi.h"

#include "engine/player/Player.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <string>

Player* PlayerCreate() {
    return new (std::nothrow) Player();
}

void PlayerDestroy(Player* player) {
    delete player;
}

void PlayerSetOwner(Player* player, MessageSink* owner) {
    player->SetOwner(owner);
}

bool PlayerOpenFile(Player* player, const char16_t* path) {
    return path && player->OpenFile(path);
}

namespace {

constexpr size_t kStreamTextLength = 260;

void CopyText(const std::u16string& text, char16_t* out) {
    if (!out)
        return;
    const size_t n = std::min(text.size(), kStreamTextLength - 1);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), out);
    out[n] = 0;
}

} // namespace

bool PlayerOpenUrl(Player* player, const char16_t* url) {
    return url && player->OpenUrl(url);
}

bool PlayerGetStreamingOptions(Player* player, StreamingOptions* options) {
    if (!options)
        return false;
    *options = player->GetStreamingOptions();
    return true;
}

bool PlayerSetStreamingOptions(Player* player, const StreamingOptions* options) {
    return options && player->SetStreamingOptions(*options);
}

int32_t PlayerGetStreamingState(Player* player) {
    return player->StreamingState();
}

int32_t PlayerGetStreamingBuffered(Player* player) {
    return player->StreamingBuffered();
}

bool PlayerGetStreamInfo(Player* player, char16_t* name, char16_t* genre, char16_t* url) {
    std::u16string n, g, u;
    const bool any = player->GetStreamInfo(n, g, u);
    CopyText(n, name);
    CopyText(g, genre);
    CopyText(u, url);
    return any;
}

bool PlayerGetStreamTitle(Player* player, char16_t* text) {
    std::u16string title;
    const bool got = player->GetStreamTitle(title);
    CopyText(title, text);
    return got;
}

void PlayerClose(Player* player) {
    player->Close();
}
bool PlayerPlay(Player* player) {
    return player->Play();
}
void PlayerStop(Player* player) {
    player->Stop();
}
void PlayerPause(Player* player) {
    player->Pause();
}
bool PlayerForward(Player* player, int32_t ms) {
    return player->Forward(ms);
}
bool PlayerRewind(Player* player, int32_t ms) {
    return player->Rewind(ms);
}
bool PlayerSeek(Player* player, int32_t ms) {
    return player->Seek(ms);
}

int32_t PlayerGetPosition(Player* player) {
    return static_cast<int32_t>(player->Position());
}

int32_t PlayerGetDuration(Player* player) {
    return static_cast<int32_t>(player->Duration());
}

PlayerStatus PlayerGetStatus(Player* player) {
    return player->Status();
}

bool PlayerGetFileInfo(Player* player, PlayerFileInfo* info) {
    return info && player->GetFileInfo(*info);
}

bool PlayerGetOptions(Player* player, PlayerOptions* options) {
    if (!options)
        return false;
    *options = player->Options();
    return true;
}

bool PlayerSetOptions(Player* player, const PlayerOptions* options) {
    return options && player->SetOptions(*options);
}

void PlayerGetEqualizer(Player* player, EqualizerParams* equalizer) {
    if (equalizer)
        *equalizer = player->Equalizer();
}

void PlayerSetEqualizer(Player* player, const EqualizerParams* equalizer) {
    if (equalizer)
        player->SetEqualizer(*equalizer);
}

bool PlayerGetEffect(Player* player, int32_t kind, EffectParams* params) {
    return params && player->GetEffect(kind, *params);
}

bool PlayerSetEffect(Player* player, int32_t kind, const EffectParams* params) {
    return params && player->SetEffect(kind, *params);
}

int32_t PlayerGetBassBoost(Player* player) {
    return player->BassBoost();
}
void PlayerSetBassBoost(Player* player, int32_t level) {
    player->SetBassBoost(level);
}
void PlayerSetLevelMeter(Player* player, bool on) {
    player->SetLevelMeter(on);
}
bool PlayerGetLevelMeter(Player* player) {
    return player->LevelMeter();
}

void PlayerGetLevels(Player* player, int32_t* left, int32_t* right) {
    int l = 0, r = 0;
    player->GetLevels(l, r);
    if (left)
        *left = l;
    if (right)
        *right = r;
}

void PlayerGetBufferInfo(Player* player, uint32_t* outputTotal, uint32_t* outputQueued,
                         uint32_t* streamTotal, uint32_t* streamFilled) {
    uint32_t ot = 0, oq = 0, st = 0, sf = 0;
    player->GetBufferInfo(ot, oq, st, sf);
    if (outputTotal)
        *outputTotal = ot;
    if (outputQueued)
        *outputQueued = oq;
    if (streamTotal)
        *streamTotal = st;
    if (streamFilled)
        *streamFilled = sf;
}

void PlayerCloseDevice(Player* player) {
    player->CloseDevice();
}
uint32_t PlayerGetVolume(Player*) {
    return OutputDevice::GetVolume();
}
void PlayerSetVolume(Player*, uint32_t volume) {
    OutputDevice::SetVolume(volume);
}

bool PlayerAddDecoder(Player* player, const DecoderPlugin* table) {
    return player->AddDecoder(table);
}

int32_t PlayerGetDecoderCount(Player* player) {
    return static_cast<int32_t>(player->DecoderCount());
}

const DecoderPlugin* PlayerGetDecoder(Player* player, int32_t index) {
    return index < 0 ? nullptr : player->Decoder(static_cast<size_t>(index));
}

bool PlayerGetTag(Player* player, TagInfo* tag) {
    return tag && player->GetTag(*tag);
}

bool PlayerGetFileTag(Player* player, const char16_t* path, TagInfo* tag) {
    return path && tag && player->GetFileTag(path, *tag);
}

void PlayerGetGenreName(int32_t index, char16_t* text) {
    if (text)
        Player::GetGenreName(index, text, kTagTextLength);
}
