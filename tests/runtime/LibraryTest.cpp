// The run-time library through its exported functions: streams, channels, the mixer's clock,
// DSP units, levels, the spectrum and the frequency.
#include "runtime/fsound.h"
#include "runtime/fsound_errors.h"
#include "tests/ScopedAudio.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Fixture(const std::string& name) {
    return std::string(SONVALE_FIXTURES) + "/" + name;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A WAV file of `seconds` of a sine at `hz` (0 for silence), stereo 16-bit.
std::string ToneFile(const TempFolder& folder, const std::string& name, double seconds, double hz,
                     int rate = 44100) {
    std::vector<int16_t> samples(static_cast<size_t>(seconds * rate) * 2);
    for (size_t i = 0; i < samples.size() / 2; ++i) {
        double t = static_cast<double>(i) / rate;
        auto s = static_cast<int16_t>(16000 * std::sin(2 * std::numbers::pi * hz * t));
        samples[2 * i] = samples[2 * i + 1] = s;
    }
    return folder.Write(name, WavFile::Bytes(2, rate, samples));
}

// Counts the blocks the mixer hands a DSP unit.
struct BlockCounter {
    std::atomic<int> blocks{0};
    std::atomic<int> frames{0};
    static void* Callback(void*, void* buffer, int length, void* userdata) {
        auto* self = static_cast<BlockCounter*>(userdata);
        self->blocks++;
        self->frames += length;
        return buffer;
    }
};

// Copies the spectrum on the mixer thread, after the FFT unit ran, where a unit reads it.
struct SpectrumTap {
    std::mutex lock;
    std::vector<float> bands;
    static void* Callback(void*, void* buffer, int, void* userdata) {
        auto* self = static_cast<SpectrumTap*>(userdata);
        if (const float* spectrum = FSOUND_DSP_GetSpectrum()) {
            std::lock_guard<std::mutex> guard(self->lock);
            self->bands.assign(spectrum, spectrum + FSOUND_SPECTRUM_BANDS);
        }
        return buffer;
    }
    std::vector<float> Copy() {
        std::lock_guard<std::mutex> guard(lock);
        return bands;
    }
    // The band with the largest magnitude, from band 1.
    int Peak() {
        std::vector<float> copy = Copy();
        int peak = 1;
        for (int i = 1; i < static_cast<int>(copy.size()); ++i)
            if (copy[i] > copy[peak])
                peak = i;
        return peak;
    }
};

// Each test starts the library with the given output and closes it at the end.
class Library : public ::testing::Test {
protected:
    void Start(int output, int rate = 44100) {
        ASSERT_TRUE(FSOUND_SetOutput(output));
        ASSERT_TRUE(FSOUND_SetBufferSize(200));
        ASSERT_TRUE(FSOUND_Init(rate, 16, 8)) << FMOD_ErrorString(FSOUND_GetError());
    }
    // Output to a WAV file written as fast as the mixer goes.
    void StartFast(int rate = 44100) {
        m_audio = std::make_unique<ScopedAudio>("wav:" + m_folder.File("out.wav") + ",fast");
        Start(FSOUND_OUTPUT_WAVEOUT, rate);
    }
    void TearDown() override { FSOUND_Close(); }

    TempFolder m_folder;
    std::unique_ptr<ScopedAudio> m_audio;
};

TEST_F(Library, PlaysPausesSeeksAndStopsMp3OggAndWav) {
    Start(FSOUND_OUTPUT_NOSOUND);
    struct Case {
        const char* file;
        int lengthMs;
        int rate;
    };
    for (Case c :
         {Case{"mpeg1-l3-cbr-plain.mp3", 1410, 44100}, Case{"vorbis-44100.ogg", 1380, 44100},
          Case{"wav-pcm16-stereo.wav", 500, 22050}}) {
        SCOPED_TRACE(c.file);
        FSOUND_STREAM* stream = FSOUND_Stream_Open(Fixture(c.file).c_str(), 0x80151, 0, 0);
        ASSERT_NE(stream, nullptr) << FSOUND_GetError();
        EXPECT_EQ(FSOUND_Stream_GetOpenState(stream), 0);
        EXPECT_NEAR(FSOUND_Stream_GetLengthMs(stream), c.lengthMs, 60);
        int frequency = 0;
        ASSERT_TRUE(FSOUND_Sample_GetDefaults(FSOUND_Stream_GetSample(stream), &frequency, nullptr,
                                              nullptr, nullptr));
        EXPECT_EQ(frequency, c.rate);

        int channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
        ASSERT_GE(channel, 0);
        EXPECT_EQ(FSOUND_GetFrequency(channel), c.rate);
        ASSERT_TRUE(WaitFor([&] { return FSOUND_Stream_GetTime(stream) >= 100; }));

        ASSERT_TRUE(FSOUND_SetPaused(channel, 1));
        EXPECT_TRUE(FSOUND_GetPaused(channel));
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        int paused = FSOUND_Stream_GetTime(stream);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        EXPECT_EQ(FSOUND_Stream_GetTime(stream), paused);

        ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 300));
        EXPECT_EQ(FSOUND_Stream_GetTime(stream), 300);
        ASSERT_TRUE(FSOUND_SetPaused(channel, 0));
        ASSERT_TRUE(WaitFor([&] { return FSOUND_Stream_GetTime(stream) > 300; }));

        ASSERT_TRUE(FSOUND_Stream_Stop(stream));
        EXPECT_FALSE(FSOUND_SetPaused(channel, 1)); // the channel is free again
        ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 0));
        EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0);
        EXPECT_TRUE(FSOUND_Stream_Close(stream));
        EXPECT_FALSE(FSOUND_Stream_Close(stream));
    }
}

TEST_F(Library, PlaysToTheEndAndKeepsTheTimeAtTheLength) {
    StartFast();
    FSOUND_STREAM* stream = FSOUND_Stream_Open(Fixture("vorbis-44100.ogg").c_str(), 0x80151, 0, 0);
    ASSERT_NE(stream, nullptr);
    std::atomic<int> ends{0};
    FSOUND_Stream_SetEndCallback(
        stream,
        [](FSOUND_STREAM*, void* buff, int, void* user) -> signed char {
            EXPECT_EQ(buff, nullptr);
            ++*static_cast<std::atomic<int>*>(user);
            return 1;
        },
        &ends);
    int channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
    ASSERT_GE(channel, 0);
    ASSERT_TRUE(WaitFor([&] { return ends.load() == 1; }));
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), FSOUND_Stream_GetLengthMs(stream));
    float left = 1, right = 1;
    EXPECT_FALSE(FSOUND_GetCurrentLevels(channel, &left, &right));
    EXPECT_EQ(left, 0.0f);

    // What the mixer played is the decoded file (the output starts with it: its last block is
    // let out before the close).
    WavFile played, reference;
    ASSERT_TRUE(reference.Read(Fixture("vorbis-44100.ref.wav")));
    ASSERT_TRUE(WaitFor(
        [&] { return m_folder.Read("out.wav").size() >= 44 + reference.samples.size() * 2; }));
    FSOUND_Close();
    ASSERT_TRUE(played.Read(m_folder.File("out.wav")));
    ASSERT_GE(played.Frames(), reference.Frames());
    auto firstSound = [](const WavFile& wav) {
        size_t i = 0;
        while (i < wav.samples.size() && wav.samples[i] == 0)
            ++i;
        return i / 2 * 2; // the frame holding it
    };
    size_t start = firstSound(played);
    size_t refStart = firstSound(reference);
    int worst = 0;
    for (size_t i = 0; i + refStart < reference.samples.size() && start + i < played.samples.size();
         ++i)
        worst =
            std::max(worst, std::abs(played.samples[start + i] - reference.samples[refStart + i]));
    EXPECT_LE(worst, 2);
}

TEST_F(Library, TheTimeIsWhatWasHeardNotWhatWasMixed) {
    ScopedAudio audio("wav:" + m_folder.File("real-time.wav"));
    Start(FSOUND_OUTPUT_WAVEOUT);
    std::string tone = ToneFile(m_folder, "tone.wav", 3.0, 440.0);
    FSOUND_STREAM* stream = FSOUND_Stream_Open(tone.c_str(), 0x80151, 0, 0);
    ASSERT_NE(stream, nullptr);
    auto start = std::chrono::steady_clock::now();
    ASSERT_GE(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
    for (int i = 0; i < 8; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        int time = FSOUND_Stream_GetTime(stream);
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
        // The mixer runs up to the mixing buffer ahead of the device; the time must not.
        EXPECT_LE(time, elapsed + 30) << "after " << elapsed << " ms";
    }
    EXPECT_GT(FSOUND_Stream_GetTime(stream), 0);
    // A seek shows its target at once, even with the old sound still queued.
    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 2000));
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 2000);
}

TEST_F(Library, TheOutputStartsWithTheFirstStreamNotWithSilence) {
    ScopedAudio audio("wav:" + m_folder.File("first.wav"));
    Start(FSOUND_OUTPUT_WAVEOUT);
    std::this_thread::sleep_for(std::chrono::milliseconds(150)); // the mixer runs meanwhile
    EXPECT_EQ(m_folder.Read("first.wav").size(), 44u) << "nothing before a stream plays";

    std::string tone = ToneFile(m_folder, "tone.wav", 3.0, 440.0);
    FSOUND_STREAM* stream = FSOUND_Stream_Open(tone.c_str(), 0x80151, 0, 0);
    ASSERT_NE(stream, nullptr);
    ASSERT_GE(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
    std::string written;
    for (int i = 0; i < 500 && written.size() < 44 + 4096; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        written = m_folder.Read("first.wav");
    }
    ASSERT_GE(written.size(), 44u + 4096u);
    // The first frames written are the tone's.
    std::vector<int16_t> first(1024 * 2);
    std::memcpy(first.data(), written.data() + 44, first.size() * 2);
    EXPECT_TRUE(
        std::any_of(first.begin(), first.end(), [](int16_t sample) { return sample != 0; }));
}

TEST_F(Library, OpenFailuresSetTheErrorCode) {
    EXPECT_EQ(FSOUND_Stream_Open(Fixture("vorbis-44100.ogg").c_str(), 0x80151, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    Start(FSOUND_OUTPUT_NOSOUND);
    EXPECT_EQ(FSOUND_Stream_Open(m_folder.File("missing.mp3").c_str(), 0x80151, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_NOTFOUND);
    EXPECT_STREQ(FMOD_ErrorString(FSOUND_GetError()), "File not found");
    std::string junk = m_folder.Write("junk.mp3", std::string(4000, '\x55'));
    EXPECT_EQ(FSOUND_Stream_Open(junk.c_str(), 0x80151, 0, 0), nullptr);
    int error = FSOUND_GetError();
    EXPECT_TRUE(error == FMOD_ERR_FILE_FORMAT || error == FMOD_ERR_FILE_BAD) << error;
    EXPECT_STREQ(FMOD_ErrorString(19), "Unknown error");

    // The exact-length open fails on its worker and says so through the open state.
    FSOUND_STREAM* stream = FSOUND_Stream_Open(junk.c_str(), 0x80151 | FSOUND_MPEGACCURATE, 0, 0);
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(
        WaitFor([&] { return FSOUND_Stream_GetOpenState(stream) != FSOUND_OPENSTATE_OPENING; }));
    EXPECT_EQ(FSOUND_Stream_GetOpenState(stream), FSOUND_OPENSTATE_FAILED);
    error = FSOUND_GetError();
    EXPECT_TRUE(error == FMOD_ERR_FILE_FORMAT || error == FMOD_ERR_FILE_BAD) << error;
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), -1);
    EXPECT_TRUE(FSOUND_Stream_Close(stream));

    // Set-up calls refuse once initialised.
    EXPECT_FALSE(FSOUND_SetBufferSize(100));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_BUSY);
    EXPECT_FALSE(FSOUND_Init(44100, 16, 8));
}

TEST_F(Library, ExactLengthOfVbrWithoutXingHeaderComesFromTheScan) {
    Start(FSOUND_OUTPUT_NOSOUND);
    std::string path = Fixture("mpeg1-l3-vbr-plain.mp3");
    FSOUND_STREAM* quick = FSOUND_Stream_Open(path.c_str(), 0x80151, 0, 0);
    ASSERT_NE(quick, nullptr);
    FSOUND_STREAM* exact = FSOUND_Stream_Open(path.c_str(), 0x80151 | FSOUND_MPEGACCURATE, 0, 0);
    ASSERT_NE(exact, nullptr);
    ASSERT_TRUE(
        WaitFor([&] { return FSOUND_Stream_GetOpenState(exact) != FSOUND_OPENSTATE_OPENING; }));
    ASSERT_EQ(FSOUND_Stream_GetOpenState(exact), FSOUND_OPENSTATE_READY);

    // Count the frames: every MPEG-1 layer III frame holds 1152 samples.
    int frames = 0;
    {
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        static const int kBitrates[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                        112, 128, 160, 192, 224, 256, 320};
        size_t pos = 0;
        while (pos + 4 <= bytes.size()) {
            auto b = reinterpret_cast<const unsigned char*>(bytes.data() + pos);
            if (b[0] != 0xFF || (b[1] & 0xFE) != 0xFA || (b[2] >> 4) == 0 || (b[2] >> 4) == 15) {
                ++pos;
                continue;
            }
            int size = 144000 * kBitrates[b[2] >> 4] / 44100 + ((b[2] >> 1) & 1);
            ++frames;
            pos += size;
        }
    }
    int exactMs = static_cast<int>(int64_t{frames} * 1152 * 1000 / 44100);
    EXPECT_NEAR(FSOUND_Stream_GetLengthMs(exact), exactMs, 30);
    EXPECT_GT(std::abs(FSOUND_Stream_GetLengthMs(quick) - exactMs), 300)
        << "the fixture should fool the estimate";
    FSOUND_Stream_Close(quick);
    FSOUND_Stream_Close(exact);
}

TEST_F(Library, DspUnitsRunInPriorityOrderAtTheBlockRateWithoutSound) {
    Start(FSOUND_OUTPUT_NOSOUND);
    struct Unit {
        int id;
        std::mutex* lock;
        std::vector<int>* order;
    };
    std::mutex lock;
    std::vector<int> order;
    auto record = [](void*, void* buffer, int length, void* userdata) -> void* {
        auto* unit = static_cast<Unit*>(userdata);
        EXPECT_EQ(length, 1024);
        std::lock_guard<std::mutex> guard(*unit->lock);
        unit->order->push_back(unit->id);
        return buffer;
    };
    Unit late{900, &lock, &order}, early{100, &lock, &order}, middle{500, &lock, &order};
    FSOUND_DSPUNIT* a = FSOUND_DSP_Create(record, 900, &late);
    FSOUND_DSPUNIT* b = FSOUND_DSP_Create(record, 100, &early);
    FSOUND_DSPUNIT* c = FSOUND_DSP_Create(record, 500, &middle);
    BlockCounter counter;
    FSOUND_DSPUNIT* tick = FSOUND_DSP_Create(&BlockCounter::Callback, 901, &counter);
    EXPECT_FALSE(FSOUND_DSP_GetActive(a));
    for (FSOUND_DSPUNIT* unit : {a, b, c, tick})
        FSOUND_DSP_SetActive(unit, 1);
    EXPECT_TRUE(FSOUND_DSP_GetActive(a));
    EXPECT_EQ(FSOUND_DSP_GetBufferLength(), 1024);
    EXPECT_GE(FSOUND_DSP_GetBufferLengthTotal(), 200 * 44100 / 1000);

    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int startBlocks = counter.blocks;
    auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double rate = (counter.blocks - startBlocks) / seconds;
    EXPECT_NEAR(rate, 44100.0 / 1024, 6.0);

    FSOUND_DSP_Free(a);
    FSOUND_DSP_Free(b);
    FSOUND_DSP_Free(c);
    std::lock_guard<std::mutex> guard(lock);
    ASSERT_GE(order.size(), 30u);
    for (size_t i = 0; i + 2 < order.size(); i += 3) {
        EXPECT_EQ(order[i], 100);
        EXPECT_EQ(order[i + 1], 500);
        EXPECT_EQ(order[i + 2], 900);
    }
    size_t freed = order.size();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(order.size(), freed); // freed units are never called again
}

TEST_F(Library, LevelsAndSpectrumFollowATone) {
    Start(FSOUND_OUTPUT_NOSOUND);
    FSOUND_DSP_SetActive(FSOUND_DSP_GetFFTUnit(), 1);
    ASSERT_NE(FSOUND_DSP_GetSpectrum(), nullptr);
    SpectrumTap tap;
    FSOUND_DSP_SetActive(FSOUND_DSP_Create(&SpectrumTap::Callback, 1001, &tap), 1);
    std::string tone = ToneFile(m_folder, "tone.wav", 3.0, 1000.0);
    std::string silence = ToneFile(m_folder, "silence.wav", 3.0, 0.0);

    FSOUND_STREAM* stream = FSOUND_Stream_Open(tone.c_str(), 0x80151, 0, 0);
    int channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
    ASSERT_GE(channel, 0);
    ASSERT_TRUE(WaitFor([&] { return FSOUND_Stream_GetTime(stream) > 300; }));
    float left = 0, right = 0;
    ASSERT_TRUE(FSOUND_GetCurrentLevels(channel, &left, &right));
    EXPECT_NEAR(left, 16000.0 / 32768, 0.02);
    EXPECT_NEAR(right, 16000.0 / 32768, 0.02);
    std::vector<float> bands = tap.Copy();
    ASSERT_EQ(bands.size(), static_cast<size_t>(FSOUND_SPECTRUM_BANDS));
    int peak = tap.Peak();
    EXPECT_NEAR(peak, 1000.0 / (44100.0 / 1024), 1.0); // band 23
    EXPECT_NEAR(bands[peak], 16000.0 / 32768, 0.15);
    EXPECT_LT(bands[200], 0.01f);

    // Half volume halves the level.
    ASSERT_TRUE(FSOUND_SetVolume(FSOUND_ALL, 128));
    EXPECT_EQ(FSOUND_GetVolume(channel), 128);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    FSOUND_GetCurrentLevels(channel, &left, &right);
    EXPECT_NEAR(left, 16000.0 / 32768 / 2, 0.02);
    FSOUND_Stream_Close(stream);

    stream = FSOUND_Stream_Open(silence.c_str(), 0x80151, 0, 0);
    channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
    ASSERT_TRUE(WaitFor([&] { return FSOUND_Stream_GetTime(stream) > 300; }));
    ASSERT_TRUE(FSOUND_GetCurrentLevels(channel, &left, &right));
    EXPECT_EQ(left, 0.0f);
    EXPECT_EQ(right, 0.0f);
    bands = tap.Copy();
    for (int i = 0; i < FSOUND_SPECTRUM_BANDS; ++i)
        ASSERT_EQ(bands[i], 0.0f) << i;

    FSOUND_DSP_SetActive(FSOUND_DSP_GetFFTUnit(), 0);
    EXPECT_EQ(FSOUND_DSP_GetSpectrum(), nullptr);
}

TEST_F(Library, FrequencyTimesOnePointFourPlaysTenSecondsInAboutSevenPointOne) {
    StartFast();
    std::string tone = ToneFile(m_folder, "ten.wav", 10.0, 440.0);
    FSOUND_STREAM* stream = FSOUND_Stream_Open(tone.c_str(), 0x80151, 0, 0);
    ASSERT_NE(stream, nullptr);
    // Counts the mixer's frames while the channel plays unpaused; the mixer runs much faster
    // than real time here, so frames mixed while the test thread waits must not count.
    struct Playing {
        std::atomic<int> channel{-1};
        std::atomic<int> frames{0};
    } playing;
    FSOUND_DSPUNIT* unit = FSOUND_DSP_Create(
        [](void*, void* buffer, int length, void* user) -> void* {
            auto* p = static_cast<Playing*>(user);
            int channel = p->channel;
            if (channel >= 0 && FSOUND_GetFrequency(channel) > 0 && !FSOUND_GetPaused(channel))
                p->frames += length;
            return buffer;
        },
        900, &playing);
    FSOUND_DSP_SetActive(unit, 1);
    std::atomic<int> endedAt{0};
    struct End {
        Playing* playing;
        std::atomic<int>* endedAt;
    } end{&playing, &endedAt};
    FSOUND_Stream_SetEndCallback(
        stream,
        [](FSOUND_STREAM*, void*, int, void* user) -> signed char {
            auto* e = static_cast<End*>(user);
            e->endedAt->store(e->playing->frames.load());
            return 1;
        },
        &end);
    // Started, held and rewound, so that every block counted plays at the new speed.
    int channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
    ASSERT_GE(channel, 0);
    ASSERT_TRUE(FSOUND_SetPaused(channel, 1));
    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 0));
    ASSERT_TRUE(FSOUND_SetFrequency(channel, static_cast<int>(44100 * 1.4)));
    playing.channel = channel;
    ASSERT_TRUE(FSOUND_SetPaused(channel, 0));
    ASSERT_TRUE(WaitFor([&] { return endedAt.load() > 0; }, 20000));
    double mixerSeconds = endedAt.load() / 44100.0;
    EXPECT_NEAR(mixerSeconds, 10.0 / 1.4, 0.1);
    FSOUND_DSP_Free(unit);
}

TEST_F(Library, ASlowerFrequencyLowersThePitch) {
    Start(FSOUND_OUTPUT_NOSOUND);
    FSOUND_DSP_SetActive(FSOUND_DSP_GetFFTUnit(), 1);
    SpectrumTap tap;
    FSOUND_DSP_SetActive(FSOUND_DSP_Create(&SpectrumTap::Callback, 1001, &tap), 1);
    std::string tone = ToneFile(m_folder, "tone.wav", 4.0, 2000.0);
    FSOUND_STREAM* stream = FSOUND_Stream_Open(tone.c_str(), 0x80151, 0, 0);
    int channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
    ASSERT_TRUE(FSOUND_SetPaused(channel, 1));
    ASSERT_TRUE(FSOUND_SetFrequency(channel, 22050));
    EXPECT_EQ(FSOUND_GetFrequency(channel), 22050);
    ASSERT_TRUE(FSOUND_SetPaused(channel, 0));
    ASSERT_TRUE(WaitFor([&] { return FSOUND_Stream_GetTime(stream) > 300; }));
    // The tone is now at 1000 Hz.
    EXPECT_NEAR(tap.Peak(), 1000.0 / (44100.0 / 1024), 1.0);
}

TEST_F(Library, TagFieldsOfATaggedFile) {
    Start(FSOUND_OUTPUT_NOSOUND);
    FSOUND_STREAM* stream = FSOUND_Stream_Open(Fixture("tag-id3v23.mp3").c_str(), 0x80150, 0, 0);
    ASSERT_NE(stream, nullptr);
    void* value = nullptr;
    int length = 0;
    ASSERT_TRUE(FSOUND_Stream_FindTagField(stream, FSOUND_TAGFIELD_ID3V2, "TIT2", &value, &length));
    ASSERT_GT(length, 1);
    EXPECT_EQ(static_cast<const char*>(value)[0], 0); // Latin-1 text follows the encoding byte
    EXPECT_FALSE(
        FSOUND_Stream_FindTagField(stream, FSOUND_TAGFIELD_ID3V2, "XXXX", &value, &length));
    int count = 0;
    ASSERT_TRUE(FSOUND_Stream_GetNumTagFields(stream, &count));
    EXPECT_GE(count, 3);
    int type = -1;
    char* name = nullptr;
    ASSERT_TRUE(FSOUND_Stream_GetTagField(stream, 0, &type, &name, &value, &length));
    EXPECT_NE(name, nullptr);
    EXPECT_FALSE(FSOUND_Stream_GetTagField(stream, count, &type, &name, &value, &length));
    FSOUND_Stream_Close(stream);
}

TEST_F(Library, CloseFreesStreamsAndAnswersStaleHandlesSafely) {
    Start(FSOUND_OUTPUT_NOSOUND);
    FSOUND_STREAM* stream = FSOUND_Stream_Open(Fixture("vorbis-44100.ogg").c_str(), 0x80151, 0, 0);
    ASSERT_NE(stream, nullptr);
    int channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
    ASSERT_GE(channel, 0);
    FSOUND_DSPUNIT* unit = FSOUND_DSP_Create(&BlockCounter::Callback, 900, nullptr);
    FSOUND_Close();
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0);
    EXPECT_FALSE(FSOUND_Stream_Close(stream));
    EXPECT_FALSE(FSOUND_SetPaused(channel, 1));
    EXPECT_FALSE(FSOUND_DSP_GetActive(unit));
    FSOUND_DSP_Free(unit); // already gone: nothing happens
    // The output choice returns to the default, and the library starts again.
    EXPECT_EQ(FSOUND_GetOutput(), FSOUND_OUTPUT_WAVEOUT);
    Start(FSOUND_OUTPUT_NOSOUND);
}

} // namespace
