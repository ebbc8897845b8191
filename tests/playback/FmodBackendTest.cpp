#include "playback/FmodBackend.h"

#include "engine/player/PlayerApi.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "playback/FmodView.h"
#include "settings/Settings.h"

#include "tests/TempFolder.h"
#include "tests/playback/FakeFmodce.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

using namespace setting;

namespace {

// The view's side: a window handle, meters that start or refuse, and a tick counter.
class TestView : public FmodView {
public:
    int window = 0;
    bool vuMeterStarts = true;
    bool spectrumStarts = true;
    int vuMeterStarted = 0, spectrumStarted = 0, vuMeterStopped = 0, spectrumStopped = 0;
    std::atomic<int> ticks{0};

    void* WindowHandle() override { return &window; }
    MessageSink* EngineOwner() override { return nullptr; }
    bool StartVuMeter(const FmodFunctions& fsound) override {
        vuMeterStarted += fsound.DSP_Create != nullptr;
        return vuMeterStarts;
    }
    bool StartSpectrum(const FmodFunctions& fsound) override {
        spectrumStarted += fsound.DSP_GetSpectrum != nullptr;
        return spectrumStarts;
    }
    void StopVuMeter() override { ++vuMeterStopped; }
    void StopSpectrum() override { ++spectrumStopped; }
    void OnTick() override { ++ticks; }
};

class FmodBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Held open by the test so that its state outlives the backend's own load and unload.
        fake = dlopen(FAKE_FMODCE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(fake, nullptr) << dlerror();
        auto state = reinterpret_cast<FakeFmodceState* (*)()>(dlsym(fake, "FakeFmodce_State"));
        ASSERT_NE(state, nullptr);
        lib = state();
        lib->Reset();
    }
    void TearDown() override {
        if (fake)
            dlclose(fake);
    }

    FmodBackend& Backend() {
        backend = std::make_unique<FmodBackend>(profile, reg, view);
        backend->SetLibraryPath(FAKE_FMODCE_PATH);
        return *backend;
    }
    int Number(const NumberSetting& value) { return Settings::Get(profile, value); }
    bool Stored(const char16_t* name) {
        return reg.QueryValue(HKEY_CURRENT_USER, profile.SectionKey(kSettings), name).has_value();
    }
    bool Called(const std::string& line) {
        return std::find(lib->calls.begin(), lib->calls.end(), line) != lib->calls.end();
    }
    std::vector<std::string> CallsStarting(const std::string& prefix) {
        std::vector<std::string> found;
        for (const std::string& call : lib->calls)
            if (call.rfind(prefix, 0) == 0)
                found.push_back(call);
        return found;
    }
    size_t IndexOf(const std::string& line) {
        return std::find(lib->calls.begin(), lib->calls.end(), line) - lib->calls.begin();
    }
    FakeFmodceUnit* UnitAt(int priority) {
        for (FakeFmodceUnit& unit : lib->units)
            if (unit.priority == priority)
                return &unit;
        return nullptr;
    }

    void* fake = nullptr;
    FakeFmodceState* lib = nullptr;
    TempFolder folder;
    Registry reg{folder / "registry.db"};
    Profile profile{reg, kRegistryKeyWord, kProfileName};
    TestView view;
    std::unique_ptr<FmodBackend> backend;
};

TEST_F(FmodBackendTest, LibraryThatDoesNotLoadOrMissesANameStopsStartUp) {
    FmodBackend& missing = Backend();
    missing.SetLibraryPath(folder / "libfmodce.so");
    EXPECT_FALSE(missing.Start());
    EXPECT_EQ(missing.Reason(), DecoderMessage::LoadFailed);
    EXPECT_EQ(missing.FailureText().English(),
              u"Decorder initialize failed. (Decorder dll file load faild)");
    EXPECT_EQ(missing.FailureTitle().English(), u"Decoder Error");
    EXPECT_FALSE(missing.IsStarted());

    FmodBackend& partial = Backend();
    partial.SetLibraryPath(FAKE_FMODCE_PARTIAL_PATH);
    EXPECT_FALSE(partial.Start());
    EXPECT_EQ(partial.Reason(), DecoderMessage::BindFailed);
    EXPECT_TRUE(lib->calls.empty()); // the full fake was never called

    FmodLibrary library;
    EXPECT_EQ(library.LoadFrom(FAKE_FMODCE_PARTIAL_PATH), FmodLibrary::Result::SymbolMissing);
    EXPECT_EQ(library.MissingName(), "FSOUND_GetOutput");
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(library.Functions().SetHWND, nullptr);

    ASSERT_EQ(library.LoadFrom(FAKE_FMODCE_PATH), FmodLibrary::Result::Ok);
    EXPECT_NE(library.Functions().GetOutput, nullptr);
    EXPECT_FLOAT_EQ(library.Functions().GetVersion(), 3.74f);
}

TEST_F(FmodBackendTest, SetUpCallsComeInOrderAndABufferRefusalStopsBeforeInit) {
    Settings::Set(profile, kMixingBufferSize, 300);
    Settings::Set(profile, kStreamBufferSize, 1500);
    FmodBackend& backend = Backend();
    ASSERT_TRUE(backend.Start());
    EXPECT_EQ(lib->hwnd, &view.window);
    const std::vector<std::string> head(lib->calls.begin(), lib->calls.begin() + 5);
    EXPECT_EQ(head, (std::vector<std::string>{"SetHWND", "SetBufferSize 300", "SetMixer 4",
                                              "Stream_SetBufferSize 1500", "Init 44100 16 8"}));
    EXPECT_EQ(backend.MixRate(), 44100);
    backend.Shutdown();

    lib->Reset();
    lib->setBufferSizeFails = true;
    FmodBackend& refused = Backend();
    EXPECT_FALSE(refused.Start());
    EXPECT_EQ(refused.Reason(), DecoderMessage::BufferFailed);
    EXPECT_TRUE(CallsStarting("Init").empty());
    EXPECT_FALSE(Called("Close")); // nothing was initialised
}

TEST_F(FmodBackendTest, MixRateStepsDownUntilInitWorksAndIsWrittenBack) {
    Settings::Set(profile, kMixRate, 96000);
    lib->initMaxRate = 22050;
    FmodBackend& backend = Backend();
    ASSERT_TRUE(backend.Start());
    EXPECT_EQ(CallsStarting("Init"),
              (std::vector<std::string>{"Init 96000 16 8", "Init 48000 16 8", "Init 44100 16 8",
                                        "Init 22050 16 8"}));
    EXPECT_EQ(backend.MixRate(), 22050);
    EXPECT_EQ(Number(kMixRate), 22050);
    backend.Shutdown();

    // A rate off the steps is retried unchanged: the first try and ten retries.
    lib->Reset();
    lib->initMaxRate = 0;
    Settings::Set(profile, kMixRate, 32000);
    FmodBackend& failing = Backend();
    EXPECT_FALSE(failing.Start());
    EXPECT_EQ(failing.Reason(), DecoderMessage::InitRetryFailed);
    EXPECT_EQ(CallsStarting("Init").size(), 11u);
    EXPECT_EQ(Number(kMixRate), 32000);
    EXPECT_FALSE(Called("Close"));
}

TEST_F(FmodBackendTest, BuiltInEngineModeSilencesTheLibraryAndWidcommForcesIt) {
    FmodBackend& library = Backend();
    ASSERT_TRUE(library.Start());
    EXPECT_TRUE(CallsStarting("SetOutput").empty());
    ASSERT_NE(UnitAt(FmodBackend::kEffectsPriority), nullptr);
    EXPECT_TRUE(UnitAt(FmodBackend::kEffectsPriority)->active);
    library.Shutdown();

    lib->Reset();
    Settings::Set(profile, kUseDefaultDecoder, 0);
    FmodBackend& engine = Backend();
    ASSERT_TRUE(engine.Start());
    EXPECT_EQ(engine.UseDefaultDecoder(), 0);
    EXPECT_LT(IndexOf("SetOutput 0"), IndexOf("Init 44100 16 8"));
    EXPECT_EQ(UnitAt(FmodBackend::kEffectsPriority), nullptr); // no library-path effects
    engine.Shutdown();

    lib->Reset();
    Settings::Set(profile, kUseDefaultDecoder, 1);
    reg.SetNumber(HKEY_LOCAL_MACHINE, kWidcommKey, kWidcommStackMode, 1);
    FmodBackend& widcomm = Backend();
    ASSERT_TRUE(widcomm.Start());
    EXPECT_EQ(widcomm.UseDefaultDecoder(), 0);
    EXPECT_EQ(Number(kUseDefaultDecoder), 0);
    EXPECT_TRUE(Called("SetOutput 0"));
}

TEST_F(FmodBackendTest, TickUnitCallsTheViewAndLeavesTheBlockAlone) {
    FmodBackend& backend = Backend();
    EXPECT_FALSE(backend.ActivateTick()); // not started
    ASSERT_TRUE(backend.Start());
    FakeFmodceUnit* tick = UnitAt(FmodBackend::kTickPriority);
    ASSERT_NE(tick, nullptr);
    EXPECT_EQ(tick->userdata, &view);
    EXPECT_FALSE(tick->active); // the view switches it on
    EXPECT_TRUE(backend.ActivateTick());
    EXPECT_TRUE(tick->active);

    int32_t block[2 * 16];
    for (int i = 0; i < 32; ++i)
        block[i] = (i - 16) * 1000;
    int32_t before[32];
    std::memcpy(before, block, sizeof block);
    void* out = tick->callback(block, block, 16, tick->userdata);
    EXPECT_EQ(out, block);
    EXPECT_EQ(std::memcmp(block, before, sizeof block), 0);
    EXPECT_EQ(view.ticks, 1);

    backend.Shutdown();
    EXPECT_FALSE(tick->active);
    EXPECT_TRUE(tick->freed);
    EXPECT_TRUE(UnitAt(FmodBackend::kEffectsPriority)->freed);
    EXPECT_LT(IndexOf("DSP_Free 900"), IndexOf("Close"));
    EXPECT_EQ(view.vuMeterStopped, 1);
    EXPECT_EQ(view.spectrumStopped, 1);
    EXPECT_EQ(backend.Engine(), nullptr);
}

TEST_F(FmodBackendTest, MetersAndUnitsThatFailUndoWhatStarted) {
    view.vuMeterStarts = false;
    FmodBackend& vu = Backend();
    EXPECT_FALSE(vu.Start());
    EXPECT_EQ(vu.Reason(), DecoderMessage::VuMeterFailed);
    EXPECT_TRUE(Called("Close"));
    EXPECT_EQ(vu.Engine(), nullptr);

    view.vuMeterStarts = true;
    view.spectrumStarts = false;
    Settings::Set(profile, kUseSpectrum, 0);
    EXPECT_TRUE(Backend().Start()); // the spectrum is not asked for
    EXPECT_EQ(view.spectrumStarted, 0);
    backend->Shutdown();

    Settings::Set(profile, kUseSpectrum, 1);
    FmodBackend& spectrum = Backend();
    EXPECT_FALSE(spectrum.Start());
    EXPECT_EQ(spectrum.Reason(), DecoderMessage::SpectrumFailed);

    view.spectrumStarts = true;
    lib->Reset();
    lib->dspCreateFails = true;
    const int stoppedBefore = view.vuMeterStopped;
    FmodBackend& dsp = Backend();
    EXPECT_FALSE(dsp.Start());
    EXPECT_EQ(dsp.Reason(), DecoderMessage::DspFailed);
    EXPECT_EQ(view.vuMeterStopped, stoppedBefore + 1);
    EXPECT_EQ(lib->calls.back(), "Close");
}

TEST_F(FmodBackendTest, FailureTextsNameTheReason) {
    const std::pair<DecoderMessage, const char16_t*> reasons[] = {
        {DecoderMessage::LoadFailed, u"Decorder dll file load faild"},
        {DecoderMessage::BindFailed, u"Decoder initialize faild"},
        {DecoderMessage::BufferFailed, u"Decoder buffer failed"},
        {DecoderMessage::InitRetryFailed, u"Decoder initialize retry failed"},
        {DecoderMessage::EngineFailed, u"Decoder library initialize faild"},
        {DecoderMessage::VuMeterFailed, u"VU-Meter DSP unit initialize failed"},
        {DecoderMessage::SpectrumFailed, u"Spectrum DSP unit initialize failed"},
        {DecoderMessage::DspFailed, u"DSP unit initialize failed"},
    };
    for (const auto& [message, reason] : reasons)
        EXPECT_EQ(DecoderMessages::FailureText(message).English(),
                  u"Decorder initialize failed. (" + std::u16string(reason) + u")");

    FmodBackend& backend = Backend();
    EXPECT_TRUE(backend.FailureText().Empty());
    EXPECT_TRUE(backend.Start());
    EXPECT_FALSE(backend.Reason());
    EXPECT_TRUE(backend.FailureText().Empty());
}

TEST_F(FmodBackendTest, EngineModeConfiguresTheEngineAndStoresItsEffectsAtShutdown) {
    Settings::Set(profile, kUseDefaultDecoder, 0);
    Settings::Set(profile, kOutputBufferLen, 800);
    Settings::Set(profile, kOutputPrebuffer, 150); // refused: the engine keeps its own value
    Settings::Set(profile, kAmplifyStatus, 1);
    Settings::Set(profile, kAmplifyRate, 12);
    Settings::Set(profile, kBaseBoostStatus, 0);
    Settings::Set(profile, kBaseBoostValue, 7);
    Settings::Set(profile, kSurroundStatus, 1);
    Settings::Set(profile, kSurroundValue, 30);
    profile.WriteProfileInt(kSettings, kEqRate[3], 20);

    FmodBackend& backend = Backend();
    ASSERT_TRUE(backend.Start());
    PlayerOptions options;
    ASSERT_TRUE(PlayerGetOptions(backend.Engine(), &options));
    EXPECT_EQ(options.outputBufferLen, 800); // a refused value does not take the others along
    EXPECT_EQ(options.outputPrebuffer, 50);
    EqualizerParams eq;
    PlayerGetEqualizer(backend.Engine(), &eq);
    EXPECT_EQ(eq.enabled, 1);
    EXPECT_EQ(eq.preamp, 52);
    EXPECT_EQ(eq.bands[3], 20);
    EXPECT_EQ(PlayerGetBassBoost(backend.Engine()), 0); // off: handed over as 0
    backend.Shutdown();

    EXPECT_EQ(Number(kAmplifyRate), 12);
    EXPECT_EQ(Number(kAmplifyStatus), 1);
    EXPECT_EQ(Number(kEqStatus), 1); // the equalizer's enabled word
    EXPECT_EQ(profile.GetProfileInt(kSettings, kEqRate[3], 31), 20);
    EXPECT_EQ(Number(kBaseBoostStatus), 1);
    EXPECT_EQ(Number(kBaseBoostValue), 0);
    EXPECT_EQ(Number(kSurroundStatus), 1);
    EXPECT_EQ(Number(kSurroundValue), 30);
}

TEST_F(FmodBackendTest, LibraryModeStoresTheEffectObjectsAndLeavesTheEqualizer) {
    Settings::Set(profile, kOutputBufferLen, 800);
    Settings::Set(profile, kAmplifyStatus, 1);
    Settings::Set(profile, kAmplifyRate, 62); // twice the level
    Settings::Set(profile, kEchoStatus, 1);
    Settings::Set(profile, kEchoDelay, 150);
    Settings::Set(profile, kBaseBoostStatus, 1);
    Settings::Set(profile, kBaseBoostValue, 6);

    FmodBackend& backend = Backend();
    ASSERT_TRUE(backend.Start());
    PlayerOptions options;
    PlayerGetOptions(backend.Engine(), &options);
    EXPECT_EQ(options.outputBufferLen, 800);
    EXPECT_EQ(backend.Effects().echo.GetDelay(), 150);
    EXPECT_EQ(backend.Effects().bassBoost.GetLevel(), 6);

    // The effects unit runs the amplifier over 32-bit stereo frames (echo's ring is silent yet,
    // bass boost is off for the test's block by setting it off first).
    backend.Effects().bassBoost.SetStatus(0);
    backend.Effects().echo.SetStatus(0);
    FakeFmodceUnit* effects = UnitAt(FmodBackend::kEffectsPriority);
    ASSERT_NE(effects, nullptr);
    int32_t block[8] = {1000, -1000, 2000, -2000, 20000, -20000, 0, 5};
    void* out = effects->callback(block, block, 4, effects->userdata);
    EXPECT_EQ(out, block);
    EXPECT_EQ(block[0], 2000);
    EXPECT_EQ(block[3], -4000);
    EXPECT_EQ(block[4], 32767); // clamped
    EXPECT_EQ(block[5], -32768);
    EXPECT_EQ(block[7], 10);

    backend.Effects().surround.SetStatus(1);
    backend.Effects().surround.SetValue(150);
    backend.Effects().echo.SetDelay(250);
    backend.Shutdown();

    EXPECT_EQ(Number(kSurroundStatus), 1);
    EXPECT_EQ(Number(kSurroundValue), 100);
    EXPECT_EQ(Number(kEchoDelay), 250);
    EXPECT_EQ(Number(kEchoStatus), 0);
    EXPECT_EQ(Number(kBaseBoostStatus), 0);
    EXPECT_EQ(Number(kBaseBoostValue), 6);
    EXPECT_EQ(Number(kAmplifyRate), 62);
    EXPECT_FALSE(Stored(kEqStatus.name));
    EXPECT_FALSE(Stored(kEqRate[0]));
}

} // namespace
