#pragma once

// The built-in engine's interface: free functions over one Player. Times are milliseconds,
// texts UTF-16; every record passed in or out belongs to the caller.

#include "engine/core/PlayerTypes.h"

#include <cstdint>

class MessageSink;
class Player;
struct DecoderPlugin;

Player* PlayerCreate();
void PlayerDestroy(Player* player);
void PlayerSetOwner(Player* player, MessageSink* owner);

bool PlayerOpenFile(Player* player, const char16_t* path);
// Streams: only "http://" and "https://" URLs are taken; the texts are 260 units,
// zero-terminated.
bool PlayerOpenUrl(Player* player, const char16_t* url);
bool PlayerGetStreamingOptions(Player* player, StreamingOptions* options);
bool PlayerSetStreamingOptions(Player* player, const StreamingOptions* options);
int32_t PlayerGetStreamingState(Player* player);
int32_t PlayerGetStreamingBuffered(Player* player);
// Station name, genre and URL from the stream's headers (each may be null); false when all three
// are empty.
bool PlayerGetStreamInfo(Player* player, char16_t* name, char16_t* genre, char16_t* url);
bool PlayerGetStreamTitle(Player* player, char16_t* text);
bool PlayerIsValidFile(Player* player, const char16_t* path);
void PlayerClose(Player* player);
bool PlayerPlay(Player* player);
void PlayerStop(Player* player);
void PlayerPause(Player* player);
bool PlayerForward(Player* player, int32_t ms);
bool PlayerRewind(Player* player, int32_t ms);
bool PlayerSeek(Player* player, int32_t ms);
int32_t PlayerGetPosition(Player* player);
int32_t PlayerGetDuration(Player* player);
PlayerStatus PlayerGetStatus(Player* player);
bool PlayerGetFileInfo(Player* player, PlayerFileInfo* info);

bool PlayerGetOptions(Player* player, PlayerOptions* options);
bool PlayerSetOptions(Player* player, const PlayerOptions* options);
void PlayerGetEqualizer(Player* player, EqualizerParams* equalizer);
void PlayerSetEqualizer(Player* player, const EqualizerParams* equalizer);
bool PlayerGetEffect(Player* player, int32_t kind, EffectParams* params);
bool PlayerSetEffect(Player* player, int32_t kind, const EffectParams* params);
int32_t PlayerGetBassBoost(Player* player);
void PlayerSetBassBoost(Player* player, int32_t level);

void PlayerSetLevelMeter(Player* player, bool on);
bool PlayerGetLevelMeter(Player* player);
void PlayerGetLevels(Player* player, int32_t* left, int32_t* right);
void PlayerGetBufferInfo(Player* player, uint32_t* outputTotal, uint32_t* outputQueued,
                         uint32_t* streamTotal, uint32_t* streamFilled);
void PlayerCloseDevice(Player* player);
uint32_t PlayerGetVolume(Player* player);
void PlayerSetVolume(Player* player, uint32_t volume);

// Decoder plug-ins: registers a table of the program itself after the same checks as a loaded one.
bool PlayerAddDecoder(Player* player, const DecoderPlugin* table);
int32_t PlayerGetDecoderCount(Player* player);
const DecoderPlugin* PlayerGetDecoder(Player* player, int32_t index);

// Tags: of the open source, of any file; the ID3 genre name of index 0..147 (another index leaves
// the 255-unit `text` as it was).
bool PlayerGetTag(Player* player, TagInfo* tag);
bool PlayerGetFileTag(Player* player, const char16_t* path, TagInfo* tag);
void PlayerGetGenreName(int32_t index, char16_t* text);
