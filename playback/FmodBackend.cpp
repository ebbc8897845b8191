#include "playback/FmodBackend.h"

#include "app/Settings.h"
#include "engine/player/PlayerApi.h"
#include "platform/Profile.h"
#include "playback/FmodView.h"

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

FmodBackend::FmodBackend(Profile& profile, Registry& registry, FmodView& view, int language)
    : profile_(profile), registry_(registry), view_(view), language_(language) {}

FmodBackend::~FmodBackend() {
    Shutdown();
}

bool FmodBackend::Start() {
    if (started_)
        return true;
    reason_.clear();

    useDefaultDecoder_ = Settings::AudioStartupUseDefaultDecoder(profile_, registry_);

    const FmodLibrary::Result loaded =
        libraryPath_.empty() ? library_.Load() : library_.LoadFrom(libraryPath_);
    if (loaded == FmodLibrary::Result::LoadFailed)
        return Fail(DecoderMessage::LoadFailed);
    if (loaded == FmodLibrary::Result::SymbolMissing)
        return Fail(DecoderMessage::BindFailed);
    const FmodFunctions& fs = library_.Functions();

    if (!fs.SetHWND(view_.WindowHandle()) ||
        !fs.SetBufferSize(Settings::Get(profile_, kMixingBufferSize)) || !fs.SetMixer(kMixer) ||
        !fs.Stream_SetBufferSize(Settings::Get(profile_, kStreamBufferSize)))
        return Fail(DecoderMessage::BufferFailed);

    if (useDefaultDecoder_ != 1)
        fs.SetOutput(FSOUND_OUTPUT_NOSOUND);

    if (!InitMixer())
        return Fail(DecoderMessage::InitRetryFailed);

    if (!CreateEngine())
        return Fail(DecoderMessage::EngineFailed);
    ConfigureLibraryEffects();

    vuMeter_ = view_.StartVuMeter(fs);
    if (!vuMeter_)
        return Fail(DecoderMessage::VuMeterFailed);
    if (Settings::Get(profile_, kUseSpectrum) == 1) {
        spectrum_ = view_.StartSpectrum(fs);
        if (!spectrum_)
            return Fail(DecoderMessage::SpectrumFailed);
    }

    // The library-path effects run only while the library plays.
    if (useDefaultDecoder_ == 1) {
        effectsUnit_ = fs.DSP_Create(&FmodBackend::EffectsCallback, kEffectsPriority, this);
        if (!effectsUnit_)
            return Fail(DecoderMessage::DspFailed);
        fs.DSP_SetActive(effectsUnit_, 1);
    }
    // Created inactive; the view switches it on once it is ready for ticks.
    tickUnit_ = fs.DSP_Create(&FmodBackend::TickCallback, kTickPriority, &view_);
    if (!tickUnit_)
        return Fail(DecoderMessage::DspFailed);

    started_ = true;
    return true;
}

bool FmodBackend::InitMixer() {
    const FmodFunctions& fs = library_.Functions();
    int rate = Settings::Get(profile_, kMixRate);
    bool ok = fs.Init(rate, kMaxChannels, kInitFlags) != 0;
    for (int retry = 0; !ok && retry < kInitRetries; ++retry) {
        rate = NextMixRate(rate);
        ok = fs.Init(rate, kMaxChannels, kInitFlags) != 0;
    }
    if (!ok)
        return false;
    initialised_ = true;
    mixRate_ = rate;
    Settings::Set(profile_, kMixRate, rate);
    return true;
}

bool FmodBackend::CreateEngine() {
    engine_ = PlayerCreate();
    if (!engine_)
        return false;
    PlayerSetOwner(engine_, view_.EngineOwner());

    // A stored value the engine refuses leaves the engine's own default for that value only.
    PlayerOptions options;
    PlayerGetOptions(engine_, &options);
    const auto applyOption = [this, &options](int32_t PlayerOptions::*field, int32_t value) {
        PlayerOptions trial = options;
        trial.*field = value;
        if (PlayerSetOptions(engine_, &trial))
            options = trial;
    };
    applyOption(&PlayerOptions::outputBufferLen, Settings::Get(profile_, kOutputBufferLen));
    applyOption(&PlayerOptions::outputPrebuffer, Settings::Get(profile_, kOutputPrebuffer));
    applyOption(&PlayerOptions::scanMpegCompletely, Settings::Get(profile_, kScanMpegCompletely));
    applyOption(&PlayerOptions::fadeIn, Settings::Get(profile_, kFadeIn));
    applyOption(&PlayerOptions::removeZeroSample, Settings::Get(profile_, kRemoveZeroSample));
    applyOption(&PlayerOptions::alwaysOpenDevice, Settings::Get(profile_, kAlwaysOpenDevice));

    StreamingOptions streaming;
    PlayerGetStreamingOptions(engine_, &streaming);
    streaming.bufferSize = Settings::Get(profile_, kStreamingBufferSize);
    streaming.prebufferSize = Settings::Get(profile_, kStreamingPreBufferSize);
    streaming.useProxy = Settings::Get(profile_, kUseProxy);
    if (streaming.useProxy == 1) {
        const std::u16string proxy = Settings::Get(profile_, kProxyServer);
        const size_t n = std::min(proxy.size(), std::size(streaming.proxy) - 1);
        std::copy_n(proxy.begin(), n, streaming.proxy);
        streaming.proxy[n] = 0;
    }
    PlayerSetStreamingOptions(engine_, &streaming);

    const EngineEffects e = Settings::ToEngine(Settings::ReadEffects(profile_));
    EqualizerParams equalizer;
    equalizer.enabled = e.eqEnabled;
    equalizer.preamp = e.eqPreamp;
    std::copy(e.eqBands.begin(), e.eqBands.end(), equalizer.bands);
    PlayerSetEqualizer(engine_, &equalizer);
    const auto setEffect = [this](EffectKind kind, const EngineEffects::Effect& effect) {
        const EffectParams params{effect.enabled, effect.delay, effect.rate};
        PlayerSetEffect(engine_, kind, &params);
    };
    setEffect(EffectReverb, e.reverb);
    setEffect(EffectEcho, e.echo);
    setEffect(EffectSurround, e.surround);
    setEffect(Effect3DChorus, e.chorus);
    PlayerSetBassBoost(engine_, e.bassBoost);
    return true;
}

void FmodBackend::ConfigureLibraryEffects() {
    const EffectSettings e = Settings::ReadEffects(profile_);
    effects_.amplifier.SetRate(e.amplifyRate);
    effects_.amplifier.SetStatus(e.amplifyStatus);
    effects_.surround.SetStatus(e.surroundStatus);
    effects_.surround.SetValue(e.surroundValue);
    effects_.chorus.SetStatus(e.chorusStatus);
    effects_.chorus.SetValue(e.chorusValue);
    effects_.echo.SetStatus(e.echoStatus);
    effects_.echo.SetDelay(e.echoDelay);
    effects_.echo.SetRate(e.echoRate);
    effects_.reverb.SetStatus(e.reverbStatus);
    effects_.reverb.SetDelay(e.reverbDelay);
    effects_.reverb.SetRate(e.reverbRate);
    effects_.bassBoost.SetStatus(e.bassBoostStatus);
    effects_.bassBoost.SetLevel(e.bassBoostValue);
    effects_.Prepare(mixRate_);
}

bool FmodBackend::ActivateTick(bool active) {
    if (!started_ || !tickUnit_)
        return false;
    library_.Functions().DSP_SetActive(tickUnit_, active ? 1 : 0);
    return true;
}

std::u16string FmodBackend::FailureText() const {
    return DecoderMessages::FailureText(reason_, language_);
}

std::u16string FmodBackend::FailureTitle() const {
    return DecoderMessages::Title(language_);
}

void FmodBackend::Shutdown() {
    if (!started_)
        return;
    WriteEffectSettings();
    TearDown();
    started_ = false;
}

void FmodBackend::WriteEffectSettings() {
    const EffectSettings stored = Settings::ReadEffects(profile_);
    if (useDefaultDecoder_ == 1) {
        EffectSettings e = stored;
        e.bassBoostStatus = effects_.bassBoost.GetStatus();
        e.bassBoostValue = effects_.bassBoost.GetLevel();
        e.surroundStatus = effects_.surround.GetStatus();
        e.surroundValue = effects_.surround.GetValue();
        e.chorusStatus = effects_.chorus.GetStatus();
        e.chorusValue = effects_.chorus.GetValue();
        e.amplifyStatus = effects_.amplifier.GetStatus();
        e.amplifyRate = effects_.amplifier.GetRate();
        e.reverbStatus = effects_.reverb.GetStatus();
        e.reverbDelay = effects_.reverb.GetDelay();
        e.reverbRate = effects_.reverb.GetRate();
        e.echoStatus = effects_.echo.GetStatus();
        e.echoDelay = effects_.echo.GetDelay();
        e.echoRate = effects_.echo.GetRate();
        Settings::WriteEffects(profile_, e, useDefaultDecoder_);
        return;
    }
    EngineEffects engine;
    EqualizerParams equalizer;
    PlayerGetEqualizer(engine_, &equalizer);
    engine.eqEnabled = equalizer.enabled;
    engine.eqPreamp = equalizer.preamp;
    std::copy(std::begin(equalizer.bands), std::end(equalizer.bands), engine.eqBands.begin());
    engine.bassBoost = PlayerGetBassBoost(engine_);
    const auto getEffect = [this](EffectKind kind, EngineEffects::Effect& effect) {
        EffectParams params;
        if (PlayerGetEffect(engine_, kind, &params))
            effect = {params.enabled, params.delay, params.rate};
    };
    getEffect(EffectReverb, engine.reverb);
    getEffect(EffectEcho, engine.echo);
    getEffect(EffectSurround, engine.surround);
    getEffect(Effect3DChorus, engine.chorus);
    Settings::WriteEffects(profile_, Settings::FromEngine(engine, stored), useDefaultDecoder_);
}

void FmodBackend::FreeUnit(FSOUND_DSPUNIT*& unit) {
    if (!unit)
        return;
    library_.Functions().DSP_SetActive(unit, 0);
    library_.Functions().DSP_Free(unit);
    unit = nullptr;
}

// Everything started, in reverse; what did not start is skipped.
void FmodBackend::TearDown() {
    FreeUnit(tickUnit_);
    FreeUnit(effectsUnit_);
    if (spectrum_)
        view_.StopSpectrum();
    if (vuMeter_)
        view_.StopVuMeter();
    spectrum_ = vuMeter_ = false;
    if (library_.IsLoaded() && streamShutdown_)
        streamShutdown_(library_.Functions());
    if (engine_) {
        PlayerDestroy(engine_);
        engine_ = nullptr;
    }
    if (initialised_) {
        library_.Functions().Close();
        initialised_ = false;
    }
    effects_.Release();
    library_.Unload();
}

bool FmodBackend::Fail(DecoderMessage message) {
    reason_ = DecoderMessages::Text(message, language_);
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
        self->effects_.Process(static_cast<uint8_t*>(buffer),
                               static_cast<size_t>(length) * kBytesPerMixFrame, kBytesPerMixFrame,
                               self->mixRate_);
    return buffer;
}
