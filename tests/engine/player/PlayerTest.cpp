#include "engine/player/Player.h"
#include "engine/player/PlayerApi.h"
#include "platform/QueueMessageSink.h"
#include "platform/TextCodec.h"
#include "platform/WaveOut.h"

#include "tests/ScopedAudio.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <thread>
#include <unistd.h>

namespace {

const std::string kFixtures = SONVALE_FIXTURES;

std::u16string Fixture(const std::string& name) {
    return TextCodec::Utf8ToUtf16(kFixtures + "/" + name);
}

// The status messages posted until the player stopped (at most `seconds`).
std::vector<QueueMessageSink::Message> StatusUntilStop(QueueMessageSink& sink, int seconds = 20) {
    std::vector<QueueMessageSink::Message> seen;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        const auto m = sink.TakeMessage(WM_PLAYER_STATUS, 200);
        if (!m)
            continue;
        seen.push_back(*m);
        if (m->wParam == PlayerStatusStop)
            break;
    }
    return seen;
}

// Signal-to-noise ratio of `actual` against `reference` after lining them up: decoders differ in
// how much encoder delay they drop, so the best shift within `maxShift` frames is searched first.
double AlignedSnr(const WavFile& actual, const WavFile& reference, int maxShift, int& shift) {
    const int ch = reference.channels;
    const auto at = [ch](const WavFile& w, long frame) -> double {
        if (frame < 0 || frame >= static_cast<long>(w.Frames()))
            return 0.0;
        return w.samples[frame * ch];
    };
    const long window = std::min<long>(8192, static_cast<long>(reference.Frames()) / 2);
    const long start = static_cast<long>(reference.Frames()) / 4;
    double best = -1e300;
    shift = 0;
    for (int s = -maxShift; s <= maxShift; ++s) {
        double dot = 0;
        for (long i = start; i < start + window; ++i)
            dot += at(reference, i) * at(actual, i + s);
        if (dot > best)
            best = dot, shift = s;
    }
    double signal = 0, noise = 0;
    for (long i = 0; i < static_cast<long>(reference.Frames()); ++i) {
        const long j = i + shift;
        if (j < 0 || j >= static_cast<long>(actual.Frames()))
            continue;
        for (int c = 0; c < ch; ++c) {
            const double r = reference.samples[i * ch + c];
            const double d = actual.samples[j * ch + c] - r;
            signal += r * r;
            noise += d * d;
        }
    }
    return noise == 0 ? 200.0 : 10.0 * std::log10(signal / noise);
}

// Plays a file through the whole engine into a WAV file, faster than real time.
struct Decoded {
    WavFile wav;
    PlayerFileInfo info;
    std::vector<QueueMessageSink::Message> status;
};

Decoded DecodeToWav(const std::u16string& path, const TempFolder& folder,
                    const EqualizerParams* eq = nullptr, const PlayerOptions* options = nullptr,
                    int64_t seekMs = 0) {
    Decoded d;
    // Every decode writes a file of its own: a recorder reopened on the same path appends.
    static int count = 0;
    const std::string out = folder / ("out" + std::to_string(++count) + ".wav");
    ScopedAudio audio("wav:" + out + ",fast");
    QueueMessageSink sink;
    Player player;
    player.SetOwner(&sink);
    if (eq)
        player.SetEqualizer(*eq);
    if (options) {
        EXPECT_TRUE(player.SetOptions(*options));
    }
    EXPECT_TRUE(player.OpenFile(path));
    player.GetFileInfo(d.info);
    if (seekMs) {
        EXPECT_TRUE(player.Seek(seekMs));
    }
    EXPECT_TRUE(player.Play());
    d.status = StatusUntilStop(sink);
    player.Close();
    d.wav.Read(out);
    return d;
}

struct ReferenceCase {
    const char* file;
    const char* reference;
    int samplesPerFrame;
};

class PlayerReference : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(PlayerReference, DecodesLikeAnotherDecoder) {
    const ReferenceCase& c = GetParam();
    TempFolder folder;
    const Decoded d = DecodeToWav(Fixture(c.file), folder);
    ASSERT_FALSE(d.status.empty());
    EXPECT_EQ(d.status.back().wParam, static_cast<uintptr_t>(PlayerStatusStop));
    EXPECT_EQ(d.status.back().lParam, kPlayerStoppedAtEnd);

    WavFile reference;
    ASSERT_TRUE(reference.Read(kFixtures + "/" + c.reference));
    ASSERT_EQ(d.wav.channels, reference.channels);
    ASSERT_EQ(d.wav.rate, reference.rate);
    int shift = 0;
    EXPECT_GE(AlignedSnr(d.wav, reference, 2 * c.samplesPerFrame, shift), 60.0)
        << "shift " << shift;
    const long lengthDifference =
        static_cast<long>(d.wav.Frames()) - shift - static_cast<long>(reference.Frames());
    EXPECT_LE(std::labs(lengthDifference), c.samplesPerFrame) << "shift " << shift;
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, PlayerReference,
    ::testing::Values(ReferenceCase{"mpeg1-l3-cbr-plain.mp3", "mpeg1-l3-cbr-plain.ref.wav", 1152},
                      ReferenceCase{"mpeg1-l3-vbr-xing.mp3", "mpeg1-l3-vbr-xing.ref.wav", 1152},
                      ReferenceCase{"mpeg2-l3-22050-mono.mp3", "mpeg2-l3-22050-mono.ref.wav", 576},
                      ReferenceCase{"mpeg1-l2-44100.mp2", "mpeg1-l2-44100.ref.wav", 1152},
                      ReferenceCase{"mpeg2-l2-24000.mp2", "mpeg2-l2-24000.ref.wav", 1152},
                      ReferenceCase{"vorbis-44100.ogg", "vorbis-44100.ref.wav", 1024}));

// WAV files of every format the compression manager converts play to their end with the right
// length; where another program's decode is stored beside them, they sound like it.
struct WavCase {
    const char* file;
    const char* reference; // null: compare the length only
    int channels;
    int rate;
};

class PlayerWav : public ::testing::TestWithParam<WavCase> {};

TEST_P(PlayerWav, PlaysToTheEndWithTheRightLength) {
    const WavCase& c = GetParam();
    TempFolder folder;
    const Decoded d = DecodeToWav(Fixture(c.file), folder);
    ASSERT_FALSE(d.status.empty());
    EXPECT_EQ(d.status.back().lParam, kPlayerStoppedAtEnd);
    EXPECT_EQ(d.info.channels, c.channels);
    EXPECT_EQ(d.info.sampleRate, c.rate);
    ASSERT_EQ(d.wav.channels, c.channels);
    const auto expected = static_cast<long>(static_cast<int64_t>(d.info.duration) * c.rate / 1000);
    // Block formats decode whole blocks; MPEG in WAV keeps the encoder's delay and padding.
    EXPECT_LE(std::labs(static_cast<long>(d.wav.Frames()) - expected), 1152) << c.file;
    if (!c.reference)
        return;
    WavFile reference;
    ASSERT_TRUE(reference.Read(kFixtures + "/" + c.reference));
    int shift = 0;
    EXPECT_GE(AlignedSnr(d.wav, reference, 1200, shift), 45.0) << "shift " << shift;
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, PlayerWav,
    ::testing::Values(WavCase{"wav-pcm8-mono.wav", nullptr, 1, 22050},
                      WavCase{"wav-pcm16-stereo.wav", "wav-pcm16-stereo.wav", 2, 22050},
                      WavCase{"wav-pcm24-mono.wav", nullptr, 1, 22050},
                      WavCase{"wav-pcm24-extensible.wav", nullptr, 1, 22050},
                      WavCase{"wav-float32-mono.wav", nullptr, 1, 22050},
                      WavCase{"wav-msadpcm-stereo.wav", "wav-msadpcm-stereo.ref.wav", 2, 22050},
                      WavCase{"wav-imaadpcm-mono.wav", "wav-imaadpcm-mono.ref.wav", 1, 22050},
                      WavCase{"wav-alaw-8000.wav", "wav-alaw-8000.ref.wav", 1, 8000},
                      WavCase{"wav-mulaw-8000.wav", "wav-mulaw-8000.ref.wav", 1, 8000},
                      WavCase{"wav-gsm-8000.wav", "wav-gsm-8000.ref.wav", 1, 8000},
                      WavCase{"wav-mp2-mono.wav", "wav-mp2-mono.ref.wav", 1, 24000},
                      WavCase{"wav-mp3-mono.wav", "wav-mp3-mono.ref.wav", 1, 22050}));

TEST(Player, AFileThatPlaysToItsEndPostsPreparingPlayingStopped) {
    TempFolder folder;
    const Decoded d = DecodeToWav(Fixture("mpeg2-l3-22050-mono.mp3"), folder);
    ASSERT_EQ(d.status.size(), 3u);
    EXPECT_EQ(d.status[0].wParam, static_cast<uintptr_t>(PlayerStatusPreparing));
    EXPECT_EQ(d.status[1].wParam, static_cast<uintptr_t>(PlayerStatusPlay));
    EXPECT_EQ(d.status[2].wParam, static_cast<uintptr_t>(PlayerStatusStop));
    EXPECT_EQ(d.status[2].lParam, 0x10000);
    EXPECT_EQ(d.info.mpegVersion, 2);
    EXPECT_EQ(d.info.mpegLayer, 3);
    EXPECT_EQ(d.info.channels, 1);
    EXPECT_EQ(d.info.sampleRate, 22050);
}

// Without a frame count the length comes from the first frame (256 kbit/s, under 4 s of the
// 12): the whole file is still played, with zero-sample removal as well, and the length grows
// to what was decoded.
TEST(Player, AnEstimateTooShortNeitherEndsNorLimitsTheTrack) {
    TempFolder folder;
    PlayerOptions options;
    options.removeZeroSample = 1;
    const std::string out = folder / "out.wav";
    ScopedAudio audio("wav:" + out + ",fast");
    QueueMessageSink sink;
    Player player;
    player.SetOwner(&sink);
    ASSERT_TRUE(player.SetOptions(options));
    ASSERT_TRUE(player.OpenFile(Fixture("mpeg1-l3-vbr-plain-12s.mp3")));
    EXPECT_LT(player.Duration(), 5000);
    ASSERT_TRUE(player.Play());
    const auto status = StatusUntilStop(sink);
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.back().lParam, kPlayerStoppedAtEnd);
    EXPECT_GE(player.Duration(), 11900);
    PlayerFileInfo info;
    ASSERT_TRUE(player.GetFileInfo(info));
    EXPECT_EQ(info.duration, player.Duration());
    player.Close();
    WavFile wav;
    ASSERT_TRUE(wav.Read(out));
    EXPECT_GE(wav.Frames(), 44100u * 119 / 10);
}

TEST(Player, OggDecodesWithLibvorbisLoadedFirst) {
    void* vorbis = dlopen("libvorbis.so.0", RTLD_NOW | RTLD_GLOBAL);
    if (!vorbis)
        GTEST_SKIP() << "libvorbis is not installed";
    TempFolder folder;
    const Decoded d = DecodeToWav(Fixture("vorbis-44100.ogg"), folder);
    dlclose(vorbis);
    int peak = 0;
    for (int16_t s : d.wav.samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(d.wav.Frames(), 44100u);
    EXPECT_GT(peak, 1000);
}

TEST(Player, ThePreampRaisesTheLevelOfPcmSources) {
    TempFolder folder;
    const Decoded flat = DecodeToWav(Fixture("vorbis-44100.ogg"), folder);
    EqualizerParams eq;
    eq.enabled = 1;
    eq.preamp = 25; // about +3.9 dB: gain 399/256
    const Decoded louder = DecodeToWav(Fixture("vorbis-44100.ogg"), folder, &eq);
    ASSERT_EQ(flat.wav.samples.size(), louder.wav.samples.size());
    double a = 0, b = 0;
    for (size_t i = 0; i < flat.wav.samples.size(); ++i) {
        a += std::abs(static_cast<double>(flat.wav.samples[i]));
        b += std::abs(static_cast<double>(louder.wav.samples[i]));
    }
    EXPECT_NEAR(b / a, 1.55, 0.05);
}

// Decodes with the given options, after an optional seek.
WavFile DecodeWithOptions(const std::string& fixture, const TempFolder& folder,
                          const PlayerOptions& options, int64_t seekMs = 0) {
    return DecodeToWav(Fixture(fixture), folder, nullptr, &options, seekMs).wav;
}

double MeanLevel(const WavFile& wav, size_t fromFrame, size_t frames) {
    double sum = 0;
    for (size_t i = fromFrame * wav.channels; i < (fromFrame + frames) * wav.channels; ++i)
        sum += std::abs(static_cast<double>(wav.samples.at(i)));
    return sum / static_cast<double>(frames * wav.channels);
}

TEST(Player, ZeroSampleRemovalCutsSilenceAtBothEnds) {
    TempFolder folder;
    PlayerOptions options;
    const WavFile plain = DecodeWithOptions("mpeg2-l3-22050-mono.mp3", folder, options);
    options.removeZeroSample = 1;
    const WavFile cut = DecodeWithOptions("mpeg2-l3-22050-mono.mp3", folder, options);
    // The fixture has 0.4 s of silence at its head and at its tail.
    ASSERT_GT(plain.Frames(), cut.Frames());
    EXPECT_GT(plain.Frames() - cut.Frames(), static_cast<size_t>(0.6 * 22050));
    EXPECT_GT(MeanLevel(cut, 0, 64), 0.0);
}

TEST(Player, FadeInIsHeardAfterASeekButNotFromTheStart) {
    TempFolder folder;
    PlayerOptions options;
    const WavFile plain = DecodeWithOptions("vorbis-44100.ogg", folder, options, 300);
    options.fadeIn = 1;
    const WavFile faded = DecodeWithOptions("vorbis-44100.ogg", folder, options, 300);
    const WavFile start = DecodeWithOptions("vorbis-44100.ogg", folder, options);
    ASSERT_EQ(plain.Frames(), faded.Frames());
    // The fade lasts 750 ms, rising linearly from silence.
    EXPECT_LT(MeanLevel(faded, 0, 2205), 0.15 * MeanLevel(plain, 0, 2205));
    EXPECT_NEAR(MeanLevel(faded, 40000, 4000), MeanLevel(plain, 40000, 4000), 1.0);
    const WavFile unfaded = DecodeWithOptions("vorbis-44100.ogg", folder, PlayerOptions());
    EXPECT_EQ(start.samples, unfaded.samples);
}

TEST(Player, NothingOpenMeansNothingHappens) {
    Player player;
    EXPECT_FALSE(player.Play());
    EXPECT_FALSE(player.Seek(0));
    EXPECT_FALSE(player.Forward(1000));
    EXPECT_EQ(player.Position(), 0);
    EXPECT_EQ(player.Duration(), 0);
    PlayerFileInfo info;
    EXPECT_FALSE(player.GetFileInfo(info));
    player.Pause();
    player.Stop();
    EXPECT_EQ(player.Status(), PlayerStatusStop);
}

TEST(Player, GarbageMissingAndTruncatedFilesNeverCrash) {
    TempFolder folder;
    Player player;
    EXPECT_FALSE(player.OpenFile(TextCodec::Utf8ToUtf16(folder / "missing.mp3")));
    EXPECT_FALSE(player.OpenFile(TextCodec::Utf8ToUtf16(folder.Path())));
    std::mt19937 random(7);
    std::string garbage(100000, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    EXPECT_FALSE(player.OpenFile(TextCodec::Utf8ToUtf16(folder.Write("garbage.mp3", garbage))));
    EXPECT_FALSE(player.OpenFile(TextCodec::Utf8ToUtf16(folder.Write("empty.ogg", ""))));

    // Cut files open or fail; whatever opens plays what is valid and ends.
    const std::string out = folder / "out.wav";
    ScopedAudio audio("wav:" + out + ",fast");
    for (const char* name : {"mpeg1-l3-vbr-xing.mp3", "vorbis-44100.ogg", "mpeg1-l2-44100.mp2"}) {
        std::ifstream in(kFixtures + "/" + name, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        for (size_t cut : {size_t{5}, size_t{700}, bytes.size() / 2}) {
            std::string damaged = bytes.substr(0, cut);
            if (cut == bytes.size() / 2)
                damaged += garbage.substr(0, 5000) + bytes.substr(cut + 5000);
            QueueMessageSink sink;
            player.SetOwner(&sink);
            if (!player.OpenFile(TextCodec::Utf8ToUtf16(folder.Write("cut.bin", damaged))))
                continue;
            ASSERT_TRUE(player.Play());
            const auto status = StatusUntilStop(sink);
            ASSERT_FALSE(status.empty()) << name << " cut at " << cut;
            EXPECT_EQ(status.back().wParam, static_cast<uintptr_t>(PlayerStatusStop));
            player.Close();
        }
    }
    player.SetOwner(nullptr);
}

// A device that can't be opened.
class BrokenWaveOut : public WaveOut {
public:
    int Open(const Format&, DoneCallback) override { return kBadDevice; }
    int Close() override { return kOk; }
    int Write(WaveHeader*) override { return kError; }
    int Pause() override { return kOk; }
    int Restart() override { return kOk; }
    int Reset() override { return kOk; }
    uint64_t Position() override { return 0; }
    int SetVolume(uint32_t) override { return kOk; }
    int GetVolume(uint32_t& v) override {
        v = 0xFFFFFFFF;
        return kOk;
    }
};

TEST(Player, ADeviceThatCannotOpenStopsWithTheErrorFlag) {
    QueueMessageSink sink;
    Player player([] { return std::make_unique<BrokenWaveOut>(); });
    player.SetOwner(&sink);
    ASSERT_TRUE(player.OpenFile(Fixture("mpeg1-l3-cbr-plain.mp3")));
    ASSERT_TRUE(player.Play());
    const auto status = StatusUntilStop(sink);
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.back().wParam, static_cast<uintptr_t>(PlayerStatusStop));
    EXPECT_EQ(status.back().lParam, kPlayerStoppedOnError);
}

TEST(Player, SeekClampsAndRefusesTheEnd) {
    Player player;
    ASSERT_TRUE(player.OpenFile(Fixture("mpeg1-l3-cbr-plain.mp3")));
    const int64_t duration = player.Duration();
    ASSERT_GT(duration, 1000);
    EXPECT_FALSE(player.Seek(duration));
    EXPECT_TRUE(player.Seek(duration - 100));
    EXPECT_TRUE(player.Seek(-5));
    EXPECT_EQ(player.Position(), 0);
    EXPECT_TRUE(player.Seek(1000));
    EXPECT_NEAR(static_cast<double>(player.Position()), 1000.0, 30.0);
    EXPECT_TRUE(player.Rewind(400));
    EXPECT_NEAR(static_cast<double>(player.Position()), 600.0, 30.0);
}

TEST(Player, OptionsAreRefusedWhilePlayingOrOutOfRange) {
    ScopedAudio audio("null");
    QueueMessageSink sink;
    Player player;
    player.SetOwner(&sink);
    PlayerOptions options = player.Options();
    options.outputPrebuffer = 101;
    EXPECT_FALSE(player.SetOptions(options));
    options.outputPrebuffer = 10;
    options.outputBufferLen = 5;
    EXPECT_FALSE(player.SetOptions(options));
    options.outputBufferLen = 300;
    EXPECT_TRUE(player.SetOptions(options));

    ASSERT_TRUE(player.OpenFile(Fixture("vorbis-44100.ogg")));
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(sink.TakeMessage(WM_PLAYER_STATUS, 5000)); // preparing
    EXPECT_FALSE(player.Play());
    EXPECT_FALSE(player.SetOptions(options));
    player.Stop();
    EXPECT_EQ(player.Status(), PlayerStatusStop);
    EXPECT_TRUE(player.SetOptions(options));
}

TEST(Player, PauseAndResumeInRealTime) {
    ScopedAudio audio("null");
    QueueMessageSink sink;
    Player player;
    player.SetOwner(&sink);
    ASSERT_TRUE(player.OpenFile(Fixture("vorbis-44100.ogg")));
    ASSERT_TRUE(player.Play());
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    ASSERT_EQ(player.Status(), PlayerStatusPlay);
    player.Pause();
    EXPECT_EQ(player.Status(), PlayerStatusPause);
    const int64_t paused = player.Position();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_NEAR(static_cast<double>(player.Position()), static_cast<double>(paused), 60.0);
    EXPECT_TRUE(player.Play()); // resumes
    EXPECT_EQ(player.Status(), PlayerStatusPlay);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_GT(player.Position(), paused + 100);

    sink.Clear();
    player.Stop();
    const auto status = StatusUntilStop(sink, 5);
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.back().lParam, 0); // a stop by the user
    EXPECT_EQ(player.Position(), 0);
}

TEST(Player, ASeekDuringTheFinalDrainGoesOnDecoding) {
    ScopedAudio audio("null");
    QueueMessageSink sink;
    Player player;
    player.SetOwner(&sink);
    PlayerOptions options = player.Options();
    options.outputBufferLen = 1000;
    ASSERT_TRUE(player.SetOptions(options));
    ASSERT_TRUE(player.OpenFile(Fixture("mpeg2-l3-22050-mono.mp3")));
    const int64_t duration = player.Duration();
    ASSERT_TRUE(player.Play());
    // The whole file is decoded a buffer length ahead: near the end the thread is draining.
    while (player.Position() < duration - 600 && player.Status() != PlayerStatusStop)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(player.Seek(200));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(player.Status(), PlayerStatusPlay);
    EXPECT_LT(player.Position(), duration - 600);
    const auto status = StatusUntilStop(sink, 10);
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.back().lParam, kPlayerStoppedAtEnd);
}

TEST(Player, AlwaysOpenDeviceStaysOpenAfterAStop) {
    ScopedAudio audio("null");
    QueueMessageSink sink;
    Player player;
    player.SetOwner(&sink);
    PlayerOptions options = player.Options();
    options.alwaysOpenDevice = 1;
    ASSERT_TRUE(player.SetOptions(options));
    ASSERT_TRUE(player.OpenFile(Fixture("vorbis-44100.ogg")));
    ASSERT_TRUE(player.Play());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    player.Stop();
    uint32_t total = 0, queued = 0, streamTotal = 0, streamFilled = 0;
    player.GetBufferInfo(total, queued, streamTotal, streamFilled);
    EXPECT_GT(total, 0u);
    player.CloseDevice();
    player.GetBufferInfo(total, queued, streamTotal, streamFilled);
    EXPECT_EQ(total, 0u);
}

TEST(Player, DurationsTooLongForMillisecondsShowAsTheLongest) {
    constexpr int32_t kLongest = std::numeric_limits<int32_t>::max();
    Player player;
    PlayerFileInfo info;
    // The last page's granule position is the largest there is.
    ASSERT_TRUE(player.OpenFile(Fixture("vorbis-granule-max.ogg")));
    EXPECT_EQ(kLongest, PlayerGetDuration(&player));
    ASSERT_TRUE(player.GetFileInfo(info));
    EXPECT_EQ(kLongest, info.duration);
    EXPECT_TRUE(player.Seek(1000));

    // 32 GB of 32 kbit/s MPEG audio: a few real frames, then a hole in a sparse file.
    TempFolder folder;
    std::ifstream in(kFixtures + "/tag-id3v1.mp3", std::ios::binary);
    std::string frames((std::istreambuf_iterator<char>(in)), {});
    frames.resize(frames.size() - 128); // without the tag
    const std::string path = folder.Write("long.mp3", frames);
    ASSERT_EQ(0, truncate(path.c_str(), int64_t{32} << 30));
    ASSERT_TRUE(player.OpenFile(TextCodec::Utf8ToUtf16(path)));
    EXPECT_EQ(kLongest, PlayerGetDuration(&player));
    ASSERT_TRUE(player.GetFileInfo(info));
    EXPECT_EQ(kLongest, info.duration);
}

// Two threads hammer one player with random commands; it must end without a deadlock.
TEST(Player, RandomCommandsFromTwoThreadsNeverDeadlock) {
    ScopedAudio audio("null");
    QueueMessageSink sink;
    Player player;
    player.SetOwner(&sink);
    ASSERT_TRUE(player.OpenFile(Fixture("mpeg1-l3-vbr-xing.mp3")));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    auto hammer = [&](unsigned seed) {
        std::mt19937 random(seed);
        while (std::chrono::steady_clock::now() < until) {
            switch (random() % 6) {
            case 0:
                player.Play();
                break;
            case 1:
                player.Pause();
                break;
            case 2:
                player.Seek(static_cast<int64_t>(random() % 3000));
                break;
            case 3:
                player.Stop();
                break;
            case 4: {
                player.Position();
                player.Duration(); // the decoding thread writes the file info as it starts
                PlayerFileInfo info;
                player.GetFileInfo(info);
                break;
            }
            case 5:
                if (random() % 20 == 0) {
                    player.Close();
                    player.OpenFile(Fixture("vorbis-44100.ogg"));
                }
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 15));
        }
    };
    std::thread a(hammer, 1), b(hammer, 2);
    a.join();
    b.join();
    player.Close();
    EXPECT_EQ(player.Status(), PlayerStatusStop);
}

TEST(PlayerApi, FunctionsWrapThePlayer) {
    Player* player = PlayerCreate();
    ASSERT_NE(player, nullptr);
    const std::u16string path = Fixture("mpeg1-l2-44100.mp2");
    EXPECT_TRUE(PlayerOpenFile(player, path.c_str()));
    PlayerFileInfo info;
    EXPECT_TRUE(PlayerGetFileInfo(player, &info));
    EXPECT_EQ(info.mpegLayer, 2);
    EXPECT_EQ(PlayerGetDuration(player), info.duration);
    EffectParams echo{1, 100, 20}, back;
    EXPECT_TRUE(PlayerSetEffect(player, EffectEcho, &echo));
    EXPECT_TRUE(PlayerGetEffect(player, EffectEcho, &back));
    EXPECT_EQ(back.delay, 100);
    EXPECT_FALSE(PlayerSetEffect(player, 7, &echo));
    PlayerSetBassBoost(player, 25);
    EXPECT_EQ(PlayerGetBassBoost(player), 20);
    PlayerDestroy(player);
}

} // namespace
