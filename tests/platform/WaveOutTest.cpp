#include "platform/WaveOut.h"
#include "platform/AlsaWaveOut.h"
#include "platform/NullWaveOut.h"
#include "platform/WavFileWaveOut.h"

#include "tests/TempFolder.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Sets $SONVALE_AUDIO (null: unsets it) for the scope.
class AudioSetting {
public:
    explicit AudioSetting(const char* value) {
        if (const char* old = std::getenv("SONVALE_AUDIO")) {
            m_had = true;
            m_old = old;
        }
        if (value)
            setenv("SONVALE_AUDIO", value, 1);
        else
            unsetenv("SONVALE_AUDIO");
    }
    ~AudioSetting() {
        if (m_had)
            setenv("SONVALE_AUDIO", m_old.c_str(), 1);
        else
            unsetenv("SONVALE_AUDIO");
    }

private:
    bool m_had = false;
    std::string m_old;
};

// The blocks a device handed back, in order.
class Returned {
public:
    WaveOut::DoneCallback Callback() {
        return [this](WaveHeader* block) {
            std::lock_guard lock(m_mutex);
            m_blocks.push_back(block);
            m_changed.notify_all();
        };
    }
    bool WaitFor(size_t count, int timeoutMs = 10000) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return m_blocks.size() >= count; });
    }
    std::vector<WaveHeader*> Blocks() {
        std::lock_guard lock(m_mutex);
        return m_blocks;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<WaveHeader*> m_blocks;
};

struct Block {
    explicit Block(std::vector<uint8_t> data) : bytes(std::move(data)) {
        header.data = bytes.data();
        header.bufferLength = header.bytesUsed = static_cast<uint32_t>(bytes.size());
    }
    Block(size_t size, uint8_t fill) : Block(std::vector<uint8_t>(size, fill)) {}
    std::vector<uint8_t> bytes;
    WaveHeader header;
};

std::vector<uint8_t> Samples16(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

uint32_t Le32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

constexpr WaveOut::Format kMono16{1, 10000, 16};

TEST(WaveOut, CreateFollowsTheSetting) {
    TempFolder folder;
    {
        AudioSetting setting("null");
        EXPECT_TRUE(WaveOut::DevicePresent());
        auto device = WaveOut::Create();
        EXPECT_NE(dynamic_cast<NullWaveOut*>(device.get()), nullptr);
        EXPECT_EQ(dynamic_cast<WavFileWaveOut*>(device.get()), nullptr);
    }
    {
        AudioSetting setting(("wav:" + folder.File("out,1.wav") + ",fast").c_str());
        EXPECT_NE(dynamic_cast<WavFileWaveOut*>(WaveOut::Create().get()), nullptr);
    }
    for (const char* unknown : {"pulse", "wav:", "wav:,fast"}) {
        AudioSetting setting(unknown);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(WaveOut::DevicePresent()) << unknown;
        EXPECT_EQ(WaveOut::Create(), nullptr) << unknown;
        testing::internal::GetCapturedStderr();
    }
}

TEST(WaveOut, AlsaWithoutADeviceFallsBackToNullWithOneLine) {
    testing::internal::CaptureStderr();
    std::unique_ptr<WaveOut> unset, alsa;
    {
        AudioSetting setting(nullptr);
        unset = WaveOut::Create();
    }
    {
        AudioSetting setting("alsa");
        alsa = WaveOut::Create();
    }
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_NE(unset, nullptr);
    ASSERT_NE(alsa, nullptr);
    if (dynamic_cast<AlsaWaveOut*>(unset.get()))
        GTEST_SKIP() << "this machine has a sound device";
    EXPECT_NE(dynamic_cast<NullWaveOut*>(unset.get()), nullptr);
    EXPECT_NE(dynamic_cast<NullWaveOut*>(alsa.get()), nullptr);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_TRUE(WaveOut::DevicePresent());

    Returned returned;
    ASSERT_EQ(alsa->Open(kMono16, returned.Callback()), WaveOut::kOk);
    Block block(200, 0);
    ASSERT_EQ(alsa->Write(&block.header), WaveOut::kOk);
    EXPECT_TRUE(returned.WaitFor(1));
    EXPECT_EQ(alsa->Position(), 100u);
    EXPECT_EQ(alsa->Close(), WaveOut::kOk);
}

TEST(NullWaveOut, PlaysAtTheRealRateAndHandsBlocksBackInOrder) {
    Returned returned;
    Block a(1000, 0), b(1000, 0), c(1001, 0); // 50 ms each; c's odd byte is no frame
    NullWaveOut device;                       // goes first, with whatever it still holds
    ASSERT_EQ(device.Open(kMono16, returned.Callback()), WaveOut::kOk);
    const auto start = Clock::now();
    for (Block* block : {&a, &b, &c})
        ASSERT_EQ(device.Write(&block->header), WaveOut::kOk);
    EXPECT_EQ(device.Write(&a.header), WaveOut::kError) << "still queued";
    ASSERT_TRUE(returned.WaitFor(3));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(140));
    EXPECT_EQ(returned.Blocks(), (std::vector<WaveHeader*>{&a.header, &b.header, &c.header}));
    EXPECT_EQ(a.header.flags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
    EXPECT_EQ(device.Position(), 1500u);
    EXPECT_EQ(device.Close(), WaveOut::kOk);
}

TEST(NullWaveOut, PauseHoldsBlocksAndTheClock) {
    Returned returned;
    Block a(400, 0), b(20000, 0); // 20 ms and a second
    NullWaveOut device;
    ASSERT_EQ(device.Open(kMono16, returned.Callback()), WaveOut::kOk);
    ASSERT_EQ(device.Pause(), WaveOut::kOk); // before anything was written
    ASSERT_EQ(device.Write(&a.header), WaveOut::kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(device.Position(), 0u);
    EXPECT_TRUE(returned.Blocks().empty());
    ASSERT_EQ(device.Restart(), WaveOut::kOk);
    ASSERT_TRUE(returned.WaitFor(1));
    EXPECT_EQ(device.Position(), 200u);

    ASSERT_EQ(device.Write(&b.header), WaveOut::kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_EQ(device.Pause(), WaveOut::kOk);
    const uint64_t paused = device.Position();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(device.Position(), paused);
}

TEST(NullWaveOut, PositionFollowsTheClockInsideABlock) {
    Returned returned;
    Block a(20000, 0); // a second
    NullWaveOut device;
    ASSERT_EQ(device.Open(kMono16, returned.Callback()), WaveOut::kOk);
    ASSERT_EQ(device.Write(&a.header), WaveOut::kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const uint64_t early = device.Position();
    EXPECT_GE(early, 2500u);
    EXPECT_LT(early, 8000u);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GT(device.Position(), early);
    EXPECT_TRUE(returned.Blocks().empty());

    // Paused, it holds what was played; restarted, it plays the rest and no frame twice.
    ASSERT_EQ(device.Pause(), WaveOut::kOk);
    const uint64_t paused = device.Position();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(device.Position(), paused);
    ASSERT_EQ(device.Restart(), WaveOut::kOk);
    ASSERT_TRUE(returned.WaitFor(1));
    EXPECT_EQ(device.Position(), 10000u);
    EXPECT_EQ(device.Close(), WaveOut::kOk);
}

TEST(NullWaveOut, ResetAndCloseHandEveryBlockBack) {
    Returned returned;
    Block a(20000, 0), b(20000, 0), c(20000, 0), d(2, 0);
    NullWaveOut device;
    ASSERT_EQ(device.Open(kMono16, returned.Callback()), WaveOut::kOk);
    for (Block* block : {&a, &b})
        ASSERT_EQ(device.Write(&block->header), WaveOut::kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_EQ(device.Reset(), WaveOut::kOk);
    EXPECT_EQ(returned.Blocks(), (std::vector<WaveHeader*>{&a.header, &b.header}));
    EXPECT_EQ(device.Position(), 0u);
    EXPECT_EQ(b.header.flags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);

    // A paused device stays paused through Reset.
    ASSERT_EQ(device.Pause(), WaveOut::kOk);
    ASSERT_EQ(device.Reset(), WaveOut::kOk);
    ASSERT_EQ(device.Write(&d.header), WaveOut::kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(returned.Blocks().size(), 2u);

    ASSERT_EQ(device.Write(&c.header), WaveOut::kOk);
    ASSERT_EQ(device.Close(), WaveOut::kOk);
    EXPECT_EQ(returned.Blocks(),
              (std::vector<WaveHeader*>{&a.header, &b.header, &d.header, &c.header}));
}

TEST(NullWaveOut, RefusesBadCallsAndFormats) {
    Block a(4, 0);
    NullWaveOut device;
    EXPECT_EQ(device.Write(&a.header), WaveOut::kError);
    EXPECT_EQ(device.Reset(), WaveOut::kError);
    EXPECT_EQ(device.Open({1, 44100, 24}, nullptr), WaveOut::kInvalidParam);
    EXPECT_EQ(device.Open({0, 44100, 16}, nullptr), WaveOut::kInvalidParam);
    ASSERT_EQ(device.Open(kMono16, nullptr), WaveOut::kOk);
    EXPECT_EQ(device.Open(kMono16, nullptr), WaveOut::kError);
    EXPECT_EQ(device.Write(nullptr), WaveOut::kInvalidParam);
    a.header.bytesUsed = 5; // beyond the buffer
    EXPECT_EQ(device.Write(&a.header), WaveOut::kInvalidParam);
}

TEST(WavFileWaveOut, RecordsWhatIsPlayedAfterTheVolume) {
    TempFolder folder;
    const std::string path = folder.File("out.wav");
    std::vector<int16_t> samples;
    for (int i = 0; i < 6000; ++i) // longer than one scratch buffer
        samples.push_back(static_cast<int16_t>(i % 2 == 0 ? 32767 - i : -20000 + i));
    Returned returned;
    Block block(Samples16(samples)), loud({0, 255, 17, 200});
    const std::vector<uint8_t> original = block.bytes;
    WavFileWaveOut device(path, true);
    ASSERT_EQ(device.SetVolume(0x4000FFFF), WaveOut::kOk); // left unity, right a quarter
    ASSERT_EQ(device.Open({2, 22050, 16}, returned.Callback()), WaveOut::kOk);
    ASSERT_EQ(device.Write(&block.header), WaveOut::kOk);
    ASSERT_TRUE(returned.WaitFor(1));
    EXPECT_EQ(device.Position(), 3000u);
    EXPECT_EQ(block.bytes, original) << "the caller's block is never scaled";

    const std::string file = folder.Read("out.wav"); // valid before Close
    ASSERT_EQ(file.size(), 44u + 12000u);
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(Le32(file, 4), 36u + 12000u);
    EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le32(file, 24), 22050u);
    EXPECT_EQ(Le32(file, 28), 22050u * 4);
    EXPECT_EQ(file.substr(36, 4), "data");
    EXPECT_EQ(Le32(file, 40), 12000u);
    std::vector<int16_t> recorded(samples.size());
    std::memcpy(recorded.data(), file.data() + 44, 12000);
    for (size_t i = 0; i < samples.size(); ++i) {
        const int expected = i % 2 == 0 ? samples[i] : (samples[i] * 0x4000) >> 16;
        ASSERT_EQ(recorded[i], expected) << i;
    }
    ASSERT_EQ(device.Close(), WaveOut::kOk);

    // 8-bit silence at volume 0 is the unsigned midpoint.
    ASSERT_EQ(device.SetVolume(0), WaveOut::kOk);
    ASSERT_EQ(device.Open({1, 8000, 8}, returned.Callback()), WaveOut::kOk);
    ASSERT_EQ(device.Write(&loud.header), WaveOut::kOk);
    ASSERT_TRUE(returned.WaitFor(2));
    ASSERT_EQ(device.Close(), WaveOut::kOk);
    EXPECT_EQ(folder.Read("out.wav").substr(44), std::string(4, '\x80'));
}

TEST(WavFileWaveOut, AtRealRateABlockGoesToTheFileWholeAndComesBackWhenPlayed) {
    TempFolder folder;
    const std::string path = folder.File("out.wav");
    Returned returned;
    Block block(Samples16(std::vector<int16_t>(100000, 1000))); // ten seconds
    WavFileWaveOut device(path, false);
    ASSERT_EQ(device.Open(kMono16, returned.Callback()), WaveOut::kOk);
    ASSERT_EQ(device.Write(&block.header), WaveOut::kOk);
    for (int i = 0; i < 500 && folder.Read("out.wav").size() < 44u + 200000u; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(folder.Read("out.wav").size(), 44u + 200000u);
    EXPECT_TRUE(returned.Blocks().empty());
    EXPECT_LT(device.Position(), 100000u);

    // Paused and restarted, the frames already in the file are not written again.
    ASSERT_EQ(device.Pause(), WaveOut::kOk);
    ASSERT_EQ(device.Restart(), WaveOut::kOk);
    ASSERT_EQ(device.Reset(), WaveOut::kOk);
    EXPECT_EQ(returned.Blocks().size(), 1u);
    ASSERT_EQ(device.Close(), WaveOut::kOk);
    EXPECT_EQ(folder.Read("out.wav").size(), 44u + 200000u);
}

TEST(WavFileWaveOut, ReopeningAppendsWithTheSameFormatAndStartsOverWithAnother) {
    TempFolder folder;
    const std::string path = folder.File("out.wav");
    folder.Write("out.wav", "an older file of the same name");
    Returned returned;
    Block a(100, 1), b(60, 2), c(8, 3);
    {
        WavFileWaveOut first(path, true);
        ASSERT_EQ(first.Open(kMono16, returned.Callback()), WaveOut::kOk);
        WavFileWaveOut other(path, true);
        EXPECT_EQ(other.Open(kMono16, nullptr), WaveOut::kAllocated);
        ASSERT_EQ(first.Write(&a.header), WaveOut::kOk);
        ASSERT_TRUE(returned.WaitFor(1));
    } // closed by its destructor
    {
        WavFileWaveOut second(path, true);
        ASSERT_EQ(second.Open(kMono16, returned.Callback()), WaveOut::kOk);
        ASSERT_EQ(second.Write(&b.header), WaveOut::kOk);
        ASSERT_TRUE(returned.WaitFor(2));
        ASSERT_EQ(second.Close(), WaveOut::kOk);
    }
    std::string file = folder.Read("out.wav");
    ASSERT_EQ(file.size(), 44u + 160u);
    EXPECT_EQ(Le32(file, 40), 160u);
    EXPECT_EQ(file.substr(44), std::string(100, '\1') + std::string(60, '\2'));

    WavFileWaveOut third(path, true);
    ASSERT_EQ(third.Open({2, 10000, 16}, returned.Callback()), WaveOut::kOk);
    ASSERT_EQ(third.Write(&c.header), WaveOut::kOk);
    ASSERT_TRUE(returned.WaitFor(3));
    ASSERT_EQ(third.Close(), WaveOut::kOk);
    file = folder.Read("out.wav");
    EXPECT_EQ(Le32(file, 40), 8u);
    EXPECT_EQ(file.substr(44), std::string(8, '\3'));
}

TEST(AlsaWaveOut, PlaysThroughTheLibrarysNullDevice) {
    Returned returned;
    Block a(44100 * 4 / 10, 7), b(4000, 7), c(4000, 7);
    AlsaWaveOut device("null"); // the library's discarding device, no sound card involved
    const int opened = device.Open({2, 44100, 16}, returned.Callback());
    if (opened == WaveOut::kBadDevice)
        GTEST_SKIP() << "the library has no \"null\" device here";
    ASSERT_EQ(opened, WaveOut::kOk);
    ASSERT_EQ(device.SetVolume(0x80008000), WaveOut::kOk);
    for (Block* block : {&a, &b})
        ASSERT_EQ(device.Write(&block->header), WaveOut::kOk);
    ASSERT_TRUE(returned.WaitFor(2));
    EXPECT_EQ(returned.Blocks(), (std::vector<WaveHeader*>{&a.header, &b.header}));
    EXPECT_EQ(device.Position(), 4410u + 1000u);
    EXPECT_EQ(a.bytes, std::vector<uint8_t>(a.bytes.size(), 7));

    ASSERT_EQ(device.Pause(), WaveOut::kOk);
    ASSERT_EQ(device.Write(&c.header), WaveOut::kOk);
    ASSERT_EQ(device.Reset(), WaveOut::kOk);
    EXPECT_EQ(returned.Blocks().size(), 3u);
    EXPECT_EQ(device.Position(), 0u);
    ASSERT_EQ(device.Restart(), WaveOut::kOk);
    ASSERT_EQ(device.Write(&c.header), WaveOut::kOk);
    ASSERT_TRUE(returned.WaitFor(4));
    EXPECT_EQ(device.Close(), WaveOut::kOk);
}

} // namespace
