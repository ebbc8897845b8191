#include "playback/FmodBackend.h"

#include "engine/player/PlayerApi.h"
#include "engine/plugins/WmaPlugin.h"
#include "platform/Profile.h"
#include "playback/FmodView.h"
#include "settings/Settings.h"

#include <algorithm>

using namespace setting;

namespace {

// The rate to try after a failed FSOUND_Init.
int NextMixRate(int rate) {
    if (rate > 48000)
        return 48000;
    if (rate == 48000)
        return 44100;
    if (rate == 44100)
        return 22050;
    return rate;
}

constexpr int kBytesPerMixFrame = 8; // two 32-bit integers

} // namespace

FmodBackend::FmodBackend(Profile& profile, Registry& registry, FmodView& view)
    : m_profile(profile), m_registry(registry), m_view(view) {}

FmodBackend::~FmodBackend() {
    Shutdown();
}

bool FmodBackend::Start() {
    if (m_started)
        return true;
    m_reason.reset();

    m_useDefaultDecoder = Settings::AudioStartupUseDefaultDecoder(m_profile, m_registry);

    const FmodLibrary::Result loaded =
        m_libraryPath.empty() ? m_library.Load() : m_library.LoadFrom(m_libraryPath);
    if (loaded == FmodLibrary::Result::LoadFailed)
        return Fail(DecoderMessage::LoadFailed);
    if (loaded == FmodLibrary::Result::SymbolMissing)
        return Fail(DecoderMessage::BindFailed);
    const FmodFunctions& fs = m_library.Functions();

    if (!fs.SetHWND(m_view.WindowHandle()) ||
        !fs.SetBufferSize(Settings::Get(m_profile, kMixingBufferSize)) || !fs.SetMixer(kMixer) ||
        !fs.Stream_SetBufferSize(Settings::Get(m_profile, kStreamBufferSize)))
        return Fail(DecoderMessage::BufferFailed);

    if (m_useDefaultDecoder != 1)
        fs.SetOutput(FSOUND_OUTPUT_NOSOUND);

    if (!InitMixer())
        return Fail(DecoderMessage::InitRetryFailed);

    if (!CreateEngine())
        return Fail(DecoderMessage::EngineFailed);
    ConfigureLibraryEffects();

    m_vuMeter = m_view.StartVuMeter(fs);
    if (!m_vuMeter)
        return Fail(DecoderMessage::VuMeterFailed);
    if (Settings::Get(m_profile, kUseSpectrum) == 1) {
        m_spectrum = m_view.StartSpectrum(fs);
        if (!m_spectrum)
            return Fail(DecoderMessage::SpectrumFailed);
    }

    // The library-path effects run only while the library plays.
    if (m_useDefaultDecoder == 1) {
        m_effectsUnit = fs.DSP_Create(&FmodBackend::EffectsCallback, kEffectsPriority, this);
        if (!m_effectsUnit)
            return Fail(DecoderMessage::DspFailed);
        fs.DSP_SetActive(m_effectsUnit, 1);
    }
    // Created inactive; the view switches it on once it is ready for ticks.
    m_tickUnit = fs.DSP_Create(&FmodBackend::TickCallback, kTickPriority, &m_view);
    if (!m_tickUnit)
        return Fail(DecoderMessage::DspFailed);

    m_started = true;
    return true;
}

bool FmodBackend::InitMixer() {
    const FmodFunctions& fs = m_library.Functions();
    int rate = Settings::Get(m_profile, kMixRate);
    bool ok = fs.Init(rate, kMaxChannels, kInitFlags) != 0;
    for (int retry = 0; !ok && retry < kInitRetries; ++retry) {
        rate = NextMixRate(rate);
        ok = fs.Init(rate, kMaxChannels, kInitFlags) != 0;
    }
    if (!ok)
        return false;
    m_initialised = true;
    m_mixRate = rate;
    Settings::Set(m_profile, kMixRate, rate);
    return true;
}

bool FmodBackend::CreateEngine() {
    m_engine = PlayerCreate();
    if (!m_engine)
        return false;
    PlayerAddDecoder(m_engine, WmaDecoderPlugin());
    PlayerSetOwner(m_engine, m_view.EngineOwner());

    // A stored value the engine refuses leaves the engine's own default for that value only.
    PlayerOptions options;
    PlayerGetOptions(m_engine, &options);
    const auto applyOption = [this, &options](int32_t PlayerOptions::*field, int32_t value) {
        PlayerOptions trial = options;
        trial.*field = value;
        if (PlayerSetOptions(m_engine, &trial))
            options = trial;
    };
    applyOption(&PlayerOptions::outputBufferLen, Settings::Get(m_profile, kOutputBufferLen));
    applyOption(&PlayerOptions::outputPrebuffer, Settings::Get(m_profile, kOutputPrebuffer));
    applyOption(&PlayerOptions::scanMpegCompletely, Settings::Get(m_profile, kScanMpegCompletely));
    applyOption(&PlayerOptions::fadeIn, Settings::Get(m_profile, kFadeIn));
    applyOption(&PlayerOptions::removeZeroSample, Settings::Get(m_profile, kRemoveZeroSample));
    applyOption(&PlayerOptions::alwaysOpenDevice, Settings::Get(m_profile, kAlwaysOpenDevice));

    ApplyStreamingOptions();

    const EngineEffects e = Settings::ToEngine(Settings::ReadEffects(m_profile));
    EqualizerParams equalizer;
    equalizer.enabled = e.eqEnabled;
    equalizer.preamp = e.eqPreamp;
    std::copy(e.eqBands.begin(), e.eqBands.end(), equalizer.bands);
    PlayerSetEqualizer(m_engine, &equalizer);
    const auto setEffect = [this](EffectKind kind, const EngineEffects::Effect& effect) {
        const EffectParams params{effect.enabled, effect.delay, effect.rate};
        PlayerSetEffect(m_engine, kind, &params);
    };
    setEffect(EffectReverb, e.reverb);
    setEffect(EffectEcho, e.echo);
    setEffect(EffectSurround, e.surround);
    setEffect(Effect3DChorus, e.chorus);
    PlayerSetBassBoost(m_engine, e.bassBoost);
    return true;
}

void FmodBackend::ConfigureLibraryEffects() {
    const EffectSettings e = Settings::ReadEffects(m_profile);
    m_effects.amplifier.SetRate(e.amplifyRate);
    m_effects.amplifier.SetStatus(e.amplifyStatus);
    m_effects.surround.SetStatus(e.surroundStatus);
    m_effects.surround.SetValue(e.surroundValue);
    m_effects.chorus.SetStatus(e.chorusStatus);
    m_effects.chorus.SetValue(e.chorusValue);
    m_effects.echo.SetStatus(e.echoStatus);
    m_effects.echo.SetDelay(e.echoDelay);
    m_effects.echo.SetRate(e.echoRate);
    m_effects.reverb.SetStatus(e.reverbStatus);
    m_effects.reverb.SetDelay(e.reverbDelay);
    m_effects.reverb.SetRate(e.reverbRate);
    m_effects.bassBoost.SetStatus(e.bassBoostStatus);
    m_effects.bassBoost.SetLevel(e.bassBoostValue);
    m_effects.Prepare(m_mixRate);
}

bool FmodBackend::ActivateTick(bool active) {
    if (!m_started || !m_tickUnit)
        return false;
    m_library.Functions().DSP_SetActive(m_tickUnit, active ? 1 : 0);
    return true;
}

UiText FmodBackend::FailureText() const {
    return m_reason ? DecoderMessages::FailureText(*m_reason) : UiText{};
}

UiText FmodBackend::FailureTitle() const {
    return DecoderMessages::Title();
}

void FmodBackend::Shutdown() {
    if (!m_started)
        return;
    WriteEffectSettings();
    TearDown();
    m_started = false;
}

void FmodBackend::WriteEffectSettings() {
    const EffectSettings stored = Settings::ReadEffects(m_profile);
    if (m_useDefaultDecoder == 1) {
        EffectSettings e = stored;
        e.bassBoostStatus = m_effects.bassBoost.GetStatus();
        e.bassBoostValue = m_effects.bassBoost.GetLevel();
        e.surroundStatus = m_effects.surround.GetStatus();
        e.surroundValue = m_effects.surround.GetValue();
        e.chorusStatus = m_effects.chorus.GetStatus();
        e.chorusValue = m_effects.chorus.GetValue();
        e.amplifyStatus = m_effects.amplifier.GetStatus();
        e.amplifyRate = m_effects.amplifier.GetRate();
        e.reverbStatus = m_effects.reverb.GetStatus();
        e.reverbDelay = m_effects.reverb.GetDelay();
        e.reverbRate = m_effects.reverb.GetRate();
        e.echoStatus = m_effects.echo.GetStatus();
        e.echoDelay = m_effects.echo.GetDelay();
        e.echoRate = m_effects.echo.GetRate();
        Settings::WriteEffects(m_profile, e, m_useDefaultDecoder);
        return;
    }
    EngineEffects engine;
    EqualizerParams equalizer;
    PlayerGetEqualizer(m_engine, &equalizer);
    engine.eqEnabled = equalizer.enabled;
    engine.eqPreamp = equalizer.preamp;
    std::copy(std::begin(equalizer.bands), std::end(equalizer.bands), engine.eqBands.begin());
    engine.bassBoost = PlayerGetBassBoost(m_engine);
    const auto getEffect = [this](EffectKind kind, EngineEffects::Effect& effect) {
        EffectParams params;
        if (PlayerGetEffect(m_engine, kind, &params))
            effect = {params.enabled, params.delay, params.rate};
    };
    getEffect(EffectReverb, engine.reverb);
    getEffect(EffectEcho, engine.echo);
    getEffect(EffectSurround, engine.surround);
    getEffect(Effect3DChorus, engine.chorus);
    Settings::WriteEffects(m_profile, Settings::FromEngine(engine, stored), m_useDefaultDecoder);
}

void FmodBackend::FreeUnit(FSOUND_DSPUNIT*& unit) {
    if (!unit)
        return;
    m_library.Functions().DSP_SetActive(unit, 0);
    m_library.Functions().DSP_Free(unit);
    unit = nullptr;
}

// Everything started, in reverse; what did not start is skipped.
void FmodBackend::TearDown() {
    FreeUnit(m_tickUnit);
    FreeUnit(m_effectsUnit);
    if (m_spectrum)
        m_view.StopSpectrum();
    if (m_vuMeter)
        m_view.StopVuMeter();
    m_spectrum = m_vuMeter = false;
    if (m_library.IsLoaded() && m_streamShutdown)
        m_streamShutdown(m_library.Functions());
    if (m_engine) {
        PlayerDestroy(m_engine);
        m_engine = nullptr;
    }
    if (m_initialised) {
        m_library.Functions().Close();
        m_initialised = false;
    }
    m_effects.Release();
    m_library.Unload();
}

bool FmodBackend::Fail(DecoderMessage message) {
    m_reason = message;
    TearDown();
    return false;
}

void* FmodBackend::TickCallback(void*, void* buffer, int, void* view) {
    static_cast<FmodView*>(view)->OnTick();
    return buffer;
}

void* FmodBackend::EffectsCallback(void*, void* buffer, int length, void* backend) {
    auto* self = static_cast<FmodBackend*>(backend);
    if (buffer && length > 0)
        self->m_effects.Process(static_cast<uint8_t*>(buffer),
                                static_cast<size_t>(length) * kBytesPerMixFrame, kBytesPerMixFrame,
                                self->m_mixRate);
    return buffer;
}

bool FmodBackend::SetStreamBufferSize(int ms) {
    return m_started && m_library.Functions().Stream_SetBufferSize(ms);
}

void FmodBackend::ApplyStreamingOptions() {
    if (!m_engine)
        return;
    StreamingOptions streaming;
    PlayerGetStreamingOptions(m_engine, &streaming);
    streaming.bufferSize = Settings::Get(m_profile, kStreamingBufferSize);
    streaming.prebufferSize = Settings::Get(m_profile, kStreamingPreBufferSize);
    streaming.useProxy = Settings::Get(m_profile, kUseProxy);
    if (streaming.useProxy == 1) {
        const std::u16string proxy = Settings::Get(m_profile, kProxyServer);
        const size_t n = std::min(proxy.size(), std::size(streaming.proxy) - 1);
        std::copy_n(proxy.begin(), n, streaming.proxy);
        streaming.proxy[n] = 0;
    }
    PlayerSetStreamingOptions(m_engine, &streaming);
}
