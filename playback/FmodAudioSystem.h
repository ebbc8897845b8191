#pragma once

#include "playback/AudioSystem.h"
#include "playback/EngineEffectControls.h"
#include "playback/FmodBackend.h"
#include "playback/LibraryEffectControls.h"

#include <memory>

class FmodLibraryBackend;
class FmodTagSource;
class FmodView;
class PlayerEngineBackend;
class Profile;
class Registry;

// The audio of the running program: the run-time library and the built-in engine started by
// FmodBackend, with the controller's back ends over them.
class FmodAudioSystem : public AudioSystem {
public:
    FmodAudioSystem(Profile& profile, Registry& registry, FmodView& view);
    ~FmodAudioSystem() override;

    bool Start() override;
    UiText FailureText() const override;
    UiText FailureTitle() const override;
    void SetStreamShutdown(std::function<void()> hook) override;
    void ActivateTick() override;
    void Shutdown() override;

    LibraryBackend& Library() override;
    EngineBackend& Engine() override;
    LibraryTagSource* Tags() override;
    EffectControls* EngineControls() override;
    EffectControls* LibraryControls() override;
    int32_t UseDefaultDecoder() const override { return m_backend.UseDefaultDecoder(); }
    int TickMs() const override;

    void SetOutputVolume(uint32_t volume) override;
    int ChannelVolume(int channel) override;
    void SetChannelVolume(int channel, int volume) override;
    bool SetStreamBufferSize(int ms) override;
    void ApplyStreamingOptions() override;
    void SetEngineLevelMeter(bool on) override;
    bool EngineLevels(float& left, float& right) override;

private:
    FmodBackend m_backend;
    std::unique_ptr<FmodTagSource> m_tags;
    std::unique_ptr<FmodLibraryBackend> m_library;
    std::unique_ptr<PlayerEngineBackend> m_engine;
    std::unique_ptr<EngineEffectControls> m_engineControls;
    std::unique_ptr<LibraryEffectControls> m_libraryControls;
};
