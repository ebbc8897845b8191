#pragma once

#include "playback/DecoderMessages.h"
#include "playback/FmodLibrary.h"
#include "playback/LibraryEffects.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class FmodView;
class Player;
class Profile;
class Registry;

// Audio start-up and shutdown: the run-time library loaded, set up and initialised, the built-in
// engine created and configured from the settings, the view's meters started and the library's
// DSP units created (the library-path effects and the view's tick).
class FmodBackend {
public:
    // Priorities of the units: the effects change the mix before the tick sees it; the library's
    // own FFT unit runs at 1000.
    static constexpr int kEffectsPriority = 800;
    static constexpr int kTickPriority = 900;
    static constexpr int kMixer = 4;
    static constexpr int kMaxChannels = 16;
    static constexpr unsigned kInitFlags = 8;
    static constexpr int kInitRetries = 10;

    FmodBackend(Profile& profile, Registry& registry, FmodView& view);
    // Shuts down what is still running.
    ~FmodBackend();
    FmodBackend(const FmodBackend&) = delete;
    FmodBackend& operator=(const FmodBackend&) = delete;

    // Loads the library from this file only, instead of beside the executable and then through
    // the library path.
    void SetLibraryPath(std::string path) { m_libraryPath = std::move(path); }
    // Runs before the engine is destroyed and the library closes, while the library's functions
    // are still bound: the playback controller stops and closes its stream here.
    void SetStreamShutdown(std::function<void(const FmodFunctions&)> hook) {
        m_streamShutdown = std::move(hook);
    }

    // Starts the audio. On failure everything started is shut down again and Reason() tells why.
    bool Start();
    // The effect settings are written, the DSP units freed, the engine destroyed, the library
    // closed and unloaded. Harmless when not started.
    void Shutdown();
    // Switches the view's tick on or off; false before start-up.
    bool ActivateTick(bool active = true);

    bool IsStarted() const { return m_started; }
    // Why the last Start() failed; none when it did not.
    std::optional<DecoderMessage> Reason() const { return m_reason; }
    // The message box text and title for the failure of the last Start().
    UiText FailureText() const;
    UiText FailureTitle() const;

    // "UseDefaultDecoder" as it was at start-up (after the Widcomm rule).
    int32_t UseDefaultDecoder() const { return m_useDefaultDecoder; }
    // The rate the library was initialised with.
    int MixRate() const { return m_mixRate; }
    const FmodFunctions& Fsound() const { return m_library.Functions(); }
    Player* Engine() const { return m_engine; }
    // The library-path effects; the effects pages call their setters.
    LibraryEffects& Effects() { return m_effects; }
    FSOUND_DSPUNIT* TickUnit() const { return m_tickUnit; }
    // "StreamBufferSize" handed to the started library; false when it refuses it.
    bool SetStreamBufferSize(int ms);
    // The engine's streaming options with the stored buffer, prebuffer and proxy.
    void ApplyStreamingOptions();
    FSOUND_DSPUNIT* EffectsUnit() const { return m_effectsUnit; }

private:
    bool Fail(DecoderMessage message);
    bool InitMixer();
    bool CreateEngine();
    void ConfigureLibraryEffects();
    void WriteEffectSettings();
    void FreeUnit(FSOUND_DSPUNIT*& unit);
    void TearDown();

    static void* TickCallback(void* original, void* buffer, int length, void* view);
    static void* EffectsCallback(void* original, void* buffer, int length, void* backend);

    Profile& m_profile;
    Registry& m_registry;
    FmodView& m_view;
    std::string m_libraryPath;
    std::function<void(const FmodFunctions&)> m_streamShutdown;

    FmodLibrary m_library;
    LibraryEffects m_effects;
    Player* m_engine = nullptr;
    FSOUND_DSPUNIT* m_tickUnit = nullptr;
    FSOUND_DSPUNIT* m_effectsUnit = nullptr;
    int32_t m_useDefaultDecoder = 1;
    int m_mixRate = 0;
    bool m_initialised = false; // FSOUND_Init succeeded
    bool m_vuMeter = false;
    bool m_spectrum = false;
    bool m_started = false;
    std::optional<DecoderMessage> m_reason;
};
