#include "playback/FmodAudioSystem.h"

#include "engine/player/PlayerApi.h"
#include "playback/FmodLibraryBackend.h"
#include "playback/FmodTagSource.h"
#include "playback/PlayerEngineBackend.h"

#include <algorithm>

namespace {

// The frames of one mixed block: the library calls the tick once per block.
constexpr int kBlockFrames = 1024;

} // namespace

FmodAudioSystem::FmodAudioSystem(Profile& profile, Registry& registry, FmodView& view)
    : m_backend(profile, registry, view) {}

FmodAudioSystem::~FmodAudioSystem() {
    Shutdown();
}

bool FmodAudioSystem::Start() {
    if (!m_backend.Start())
        return false;
    m_tags = std::make_unique<FmodTagSource>(&m_backend.Fsound());
    m_library = std::make_unique<FmodLibraryBackend>(m_backend.Fsound(), &m_backend.Effects());
    m_engine = std::make_unique<PlayerEngineBackend>(m_backend.Engine());
    m_engineControls = std::make_unique<EngineEffectControls>(m_backend.Engine());
    m_libraryControls = std::make_unique<LibraryEffectControls>(m_backend.Effects());
    return true;
}

UiText FmodAudioSystem::FailureText() const {
    return m_backend.FailureText();
}

UiText FmodAudioSystem::FailureTitle() const {
    return m_backend.FailureTitle();
}

void FmodAudioSystem::SetStreamShutdown(std::function<void()> hook) {
    m_backend.SetStreamShutdown([hook = std::move(hook)](const FmodFunctions&) { hook(); });
}

void FmodAudioSystem::ActivateTick() {
    m_backend.ActivateTick();
}

// The back ends go after the library's shutdown hook has closed the controller's stream, and
// before the library they use is unloaded.
void FmodAudioSystem::Shutdown() {
    if (!m_backend.IsStarted())
        return;
    m_backend.Shutdown();
    m_engineControls.reset();
    m_libraryControls.reset();
    m_engine.reset();
    m_library.reset();
    m_tags.reset();
}

LibraryBackend& FmodAudioSystem::Library() {
    return *m_library;
}

EngineBackend& FmodAudioSystem::Engine() {
    return *m_engine;
}

EffectControls* FmodAudioSystem::EngineControls() {
    return m_engineControls.get();
}

EffectControls* FmodAudioSystem::LibraryControls() {
    return m_libraryControls.get();
}

LibraryTagSource* FmodAudioSystem::Tags() {
    return m_tags.get();
}

int FmodAudioSystem::TickMs() const {
    const int rate = m_backend.MixRate() > 0 ? m_backend.MixRate() : 44100;
    return std::max(1, kBlockFrames * 1000 / rate);
}

void FmodAudioSystem::SetOutputVolume(uint32_t volume) {
    if (!m_backend.IsStarted())
        return;
    PlayerSetVolume(m_backend.Engine(), volume);
    m_backend.Fsound().SetSFXMasterVolume(static_cast<int>((volume & 0xFFFF) * 255 / 0xFFFF));
}

int FmodAudioSystem::ChannelVolume(int channel) {
    return m_backend.IsStarted() && channel >= 0 ? m_backend.Fsound().GetVolume(channel) : 255;
}

void FmodAudioSystem::SetChannelVolume(int channel, int volume) {
    if (m_backend.IsStarted() && channel >= 0)
        m_backend.Fsound().SetVolume(channel, volume);
}

bool FmodAudioSystem::SetStreamBufferSize(int ms) {
    return m_backend.SetStreamBufferSize(ms);
}

void FmodAudioSystem::ApplyStreamingOptions() {
    m_backend.ApplyStreamingOptions();
}

void FmodAudioSystem::SetEngineLevelMeter(bool on) {
    if (m_backend.IsStarted())
        PlayerSetLevelMeter(m_backend.Engine(), on);
}

bool FmodAudioSystem::EngineLevels(float& left, float& right) {
    left = right = 0.0f;
    if (!m_backend.IsStarted())
        return false;
    int32_t l = 0, r = 0;
    PlayerGetLevels(m_backend.Engine(), &l, &r);
    left = std::min(1.0f, l / 32768.0f);
    right = std::min(1.0f, r / 32768.0f);
    return true;
}
