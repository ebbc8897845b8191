#pragma once

#include "support/UiText.h"

#include <cstdint>
#include <functional>

class EffectControls;
class EngineBackend;
class LibraryBackend;
class LibraryTagSource;

// The player's audio, started and stopped as one: the run-time library and the built-in engine
// with the back ends the playback controller drives, the tag source of the library, the output
// volume and the level meters. The player session owns one; tests give it a fake.
class AudioSystem {
public:
    virtual ~AudioSystem() = default;

    // Starts the audio; false with FailureText()/FailureTitle() for the message box.
    virtual bool Start() = 0;
    virtual UiText FailureText() const = 0;
    virtual UiText FailureTitle() const = 0;
    // Runs before the library closes, while it can still be used: the controller closes its
    // stream there.
    virtual void SetStreamShutdown(std::function<void()> hook) = 0;
    // Switches the tick (the owner's OnTick, once per mixed block) on.
    virtual void ActivateTick() = 0;
    // The effect values are written, everything is stopped and unloaded.
    virtual void Shutdown() = 0;

    virtual LibraryBackend& Library() = 0;
    virtual EngineBackend& Engine() = 0;
    // The library's tags of a file, for the playlist; may be null.
    virtual LibraryTagSource* Tags() = 0;
    // The sound effects of the built-in engine and of the run-time library while the audio
    // runs; null when there are none.
    virtual EffectControls* EngineControls() { return nullptr; }
    virtual EffectControls* LibraryControls() { return nullptr; }
    // "UseDefaultDecoder" as it was at start-up.
    virtual int32_t UseDefaultDecoder() const = 0;
    // Milliseconds between two ticks (one mixed block).
    virtual int TickMs() const = 0;

    // The program's output volume word: the engine's device and the library's master volume.
    virtual void SetOutputVolume(uint32_t volume) = 0;
    // The library's volume of a channel (0 .. 255).
    virtual int ChannelVolume(int channel) = 0;
    virtual void SetChannelVolume(int channel, int volume) = 0;
    // "StreamBufferSize" handed to the run-time library at once; false when it refuses it.
    virtual bool SetStreamBufferSize(int ms) = 0;
    // The built-in engine, when there is one, takes the stored streaming settings.
    virtual void ApplyStreamingOptions() = 0;
    // The built-in engine's level meter: on or off, and the levels (0 .. 1) while on.
    virtual void SetEngineLevelMeter(bool on) = 0;
    virtual bool EngineLevels(float& left, float& right) = 0;
};
