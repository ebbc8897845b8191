#pragma once

#include <cstdint>

// The records that cross the engine's interface. Every record belongs to the caller and is
// copied by the engine.

// Status of the player; every change is posted as WM_PLAYER_STATUS.
enum PlayerStatus : int32_t {
    PlayerStatusStop = 0,
    PlayerStatusPlay = 1,
    PlayerStatusPause = 2,
    PlayerStatusPreparing = 3,
};

// Messages posted to the owner. WM_PLAYER_STATUS: wParam the new status; lParam 0, except on
// entering "stopped": (1 << 16 when the source played to its end) | (1 on error).
inline constexpr uint32_t WM_PLAYER_STATUS = 0x2B11;
inline constexpr uint32_t WM_PLAYER_STREAMTITLE = 0x5221;
inline constexpr intptr_t kPlayerStoppedAtEnd = 1 << 16;
inline constexpr intptr_t kPlayerStoppedOnError = 1;

// Source types.
enum PlayerSource : int32_t {
    SourceNone = 0,
    SourceMpeg = 1,
    SourceOgg = 2,
    SourceWav = 3,
    SourcePlugin = 4,
    SourceStream = 5,
};

struct PlayerOptions {
    int32_t threadPriority = 2;     // handheld priority 0..7 once prebuffering ends
    int32_t outputBufferLen = 500;  // ms
    int32_t outputPrebuffer = 50;   // percent of the output buffer, 0..100
    int32_t scanMpegCompletely = 0; // accurate MPEG length by scanning every frame
    int32_t fadeIn = 0;             // fade in after an output reset
    int32_t removeZeroSample = 0;   // cut leading and trailing silence
    int32_t alwaysOpenDevice = 0;   // keep the device open between tracks
};

struct PlayerFileInfo {
    int32_t mpegVersion = 0; // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5; 0 for other sources
    int32_t mpegLayer = 0;   // 1..3; 0 for other sources
    int32_t channels = 0;
    int32_t sampleRate = 0; // Hz
    int32_t bitrate = 0;    // kbit/s
    int32_t duration = 0;   // ms
};

// Levels run 0..63; 31 is 0 dB (flat) and 0 the strongest boost.
struct EqualizerParams {
    int32_t enabled = 0;
    int32_t preamp = 31;
    int32_t bands[10] = {31, 31, 31, 31, 31, 31, 31, 31, 31, 31};
};

// Effect kinds for PlayerSetEffect / PlayerGetEffect.
enum EffectKind : int32_t {
    EffectReverb = 0,
    EffectEcho = 1,
    EffectSurround = 2,
    Effect3DChorus = 3,
};

struct EffectParams {
    int32_t enabled = 0;
    int32_t delay = 0; // ms (echo, reverb); 0 for surround and 3D chorus
    int32_t rate = 0;
};

struct StreamingOptions {
    int32_t bufferSize = 64;    // 2048-byte blocks, at least 2
    int32_t prebufferSize = 32; // blocks, never above bufferSize
    int32_t useProxy = 0;
    char16_t proxy[260] = {};     // host[:port], optionally after "http://"
    char16_t userAgent[260] = {}; // default "Unknown"
};

inline constexpr int kTagTextLength = 255;

struct TagInfo {
    char16_t title[kTagTextLength] = {};
    char16_t artist[kTagTextLength] = {};
    char16_t album[kTagTextLength] = {};
    char16_t comment[kTagTextLength] = {};
    char16_t genre[kTagTextLength] = {};
    int32_t year = 0;
    int32_t track = 0;
};
