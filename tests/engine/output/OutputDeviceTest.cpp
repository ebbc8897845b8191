#include "engine/output/OutputDevice.h"

#include "platform/WavFileWaveOut.h"
#include "tests/TempFolder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// What the fake device saw; the test plays its blocks by hand.
struct FakeState {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<WaveHeader*> queue;
    std::vector<uint8_t> played; // the bytes of every played block, in order
    std::vector<uint8_t> last;   // the last played block
    int openCalls = 0;
    int opens = 0;
    int busyAnswers = 0; // Open answers kAllocated this many times
    bool paused = false;
    uint64_t position = 0;
    uint32_t volume = 0xFFFFFFFF;
    WaveOut::Format format;
    WaveOut::DoneCallback done;
};

class FakeWaveOut : public WaveOut {
public:
    explicit FakeWaveOut(std::shared_ptr<FakeState> state) : m_state(std::move(state)) {}

    int Open(const Format& format, DoneCallback done) override {
        std::lock_guard lock(m_state->mutex);
        ++m_state->openCalls;
        if (m_state->busyAnswers > 0) {
            --m_state->busyAnswers;
            return kAllocated;
        }
        ++m_state->opens;
        m_state->format = format;
        m_state->done = std::move(done);
        m_state->position = 0;
        m_state->paused = false;
        return kOk;
    }
    int Close() override { return Reset(); }
    int Write(WaveHeader* block) override {
        std::lock_guard lock(m_state->mutex);
        if (const int result = AcceptBlock(block); result != kOk)
            return result;
        m_state->queue.push_back(block);
        m_state->changed.notify_all();
        return kOk;
    }
    int Pause() override { return SetPaused(true); }
    int Restart() override { return SetPaused(false); }
    int Reset() override {
        std::deque<WaveHeader*> taken;
        {
            std::lock_guard lock(m_state->mutex);
            taken.swap(m_state->queue);
            m_state->position = 0;
        }
        for (WaveHeader* block : taken)
            Return(*m_state, block);
        return kOk;
    }
    uint64_t Position() override {
        std::lock_guard lock(m_state->mutex);
        return m_state->position;
    }
    int SetVolume(uint32_t volume) override {
        std::lock_guard lock(m_state->mutex);
        m_state->volume = volume;
        return kOk;
    }
    int GetVolume(uint32_t& volume) override {
        std::lock_guard lock(m_state->mutex);
        volume = m_state->volume;
        return kOk;
    }

    // Plays the oldest queued block; false when none was queued within the time.
    static bool PlayOne(FakeState& state, int timeoutMs = 5000) {
        WaveHeader* block = nullptr;
        {
            std::unique_lock lock(state.mutex);
            if (!state.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                        [&] { return !state.queue.empty(); }))
                return false;
            block = state.queue.front();
            state.queue.pop_front();
            state.played.insert(state.played.end(), block->data, block->data + block->bytesUsed);
            state.last.assign(block->data, block->data + block->bytesUsed);
            state.position += block->bytesUsed / static_cast<uint32_t>(FrameBytes(state.format));
        }
        Return(state, block);
        return true;
    }
    static size_t Queued(FakeState& state) {
        std::lock_guard lock(state.mutex);
        return state.queue.size();
    }
    static bool WaitQueued(FakeState& state, size_t count, int timeoutMs = 5000) {
        std::unique_lock lock(state.mutex);
        return state.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                      [&] { return state.queue.size() >= count; });
    }

private:
    static void Return(FakeState& state, WaveHeader* block) {
        MarkDone(block);
        if (state.done)
            state.done(block);
    }
    int SetPaused(bool paused) {
        std::lock_guard lock(m_state->mutex);
        m_state->paused = paused;
        return kOk;
    }

    std::shared_ptr<FakeState> m_state;
};

class OutputDeviceTest : public testing::Test {
protected:
    std::function<std::unique_ptr<WaveOut>()> Factory() {
        return [state = m_state] { return std::make_unique<FakeWaveOut>(state); };
    }
    // Fills the next free block with `bytes` copies of `fill` and queues it.
    WaveHeader* QueueBytes(OutputDevice& output, size_t bytes, uint8_t fill) {
        WaveHeader* block = output.NextFreeBlock();
        if (!block)
            return nullptr;
        std::memset(block->data, fill, bytes);
        block->bytesUsed = static_cast<uint32_t>(bytes);
        output.Queue(block);
        return block;
    }
    void QueueSamples(OutputDevice& output, const std::vector<int16_t>& samples) {
        WaveHeader* block = output.NextFreeBlock();
        ASSERT_NE(block, nullptr);
        std::memcpy(block->data, samples.data(), samples.size() * 2);
        block->bytesUsed = static_cast<uint32_t>(samples.size() * 2);
        output.Queue(block);
    }
    FakeState& State() { return *m_state; }

    std::shared_ptr<FakeState> m_state = std::make_shared<FakeState>();
};

TEST_F(OutputDeviceTest, BlockSizeAndRingFollowTheFormatAndBufferLength) {
    struct Case {
        int channels, rate, bits, bufferMs;
        uint32_t blockSize;
        int blocks;
    };
    const Case cases[] = {
        {1, 11025, 8, 500, 1024, 6}, // 5512 bytes in 500 ms: 5 whole blocks, + 1
        {1, 22050, 8, 500, 2048, 6},   {1, 22051, 8, 500, 4096, 3}, // doubled above 22050
        {2, 44100, 16, 500, 16384, 6}, {2, 44100, 16, 1000, 16384, 11},
        {1, 8000, 8, 200, 1024, 2}, // one whole block, + 1
        {1, 8000, 8, 10, 1024, 2},  // not one whole block: still two
    };
    for (const Case& c : cases) {
        OutputDevice output(Factory());
        ASSERT_TRUE(output.Configure(c.bufferMs, false, false));
        ASSERT_TRUE(output.Open(c.channels, c.rate, c.bits)) << c.rate;
        uint32_t total = 0, queued = 0;
        output.GetBufferInfo(total, queued);
        EXPECT_EQ(output.BlockSize(), c.blockSize) << c.rate;
        EXPECT_EQ(total, c.blockSize * static_cast<uint32_t>(c.blocks))
            << c.rate << " " << c.bufferMs;
        EXPECT_EQ(queued, 0u);
        EXPECT_EQ(output.BlockAlign(), c.channels * c.bits / 8);
        output.Close();
        output.GetBufferInfo(total, queued);
        EXPECT_EQ(total + queued, 0u);
    }
}

TEST_F(OutputDeviceTest, ConfigureIsRefusedWhileOpenOrBelowTenMs) {
    OutputDevice output(Factory());
    EXPECT_FALSE(output.Configure(9, false, false));
    ASSERT_TRUE(output.Open(2, 44100, 16));
    EXPECT_FALSE(output.Configure(500, true, true));
    output.Close();
    EXPECT_TRUE(output.Configure(10, true, true));
    int bufferMs = 0;
    bool alwaysOpen = false, fadeIn = false;
    output.GetConfiguration(bufferMs, alwaysOpen, fadeIn);
    EXPECT_TRUE(bufferMs == 10 && alwaysOpen && fadeIn);
}

TEST_F(OutputDeviceTest, DirectModeWritesBlocksAndCountsWhatIsPlayed) {
    OutputDevice output(Factory());
    ASSERT_TRUE(output.Configure(10, false, false)); // two blocks of 1024 bytes
    ASSERT_TRUE(output.Open(1, 8000, 8));
    WaveHeader* first = QueueBytes(output, 1000, 0x90);
    WaveHeader* second = QueueBytes(output, 24, 0x91);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(FakeWaveOut::Queued(State()), 2u);
    EXPECT_TRUE(output.AllBlocksQueued());
    EXPECT_FALSE(output.WaitFreeBlock(0));
    EXPECT_EQ(output.SamplesWritten(), 1024u);
    EXPECT_EQ(output.QueuedSamples(), 1024u);
    EXPECT_FALSE(output.Drained());
    uint32_t total = 0, queued = 0;
    output.GetBufferInfo(total, queued);
    EXPECT_EQ(queued, 2048u);

    ASSERT_TRUE(FakeWaveOut::PlayOne(State()));
    EXPECT_TRUE(output.WaitFreeBlock(0));
    EXPECT_EQ(output.SamplesPlayed(), 1000u);
    EXPECT_EQ(output.QueuedSamples(), 24u);
    ASSERT_TRUE(FakeWaveOut::PlayOne(State()));
    EXPECT_TRUE(output.Drained());
    output.GetBufferInfo(total, queued);
    EXPECT_EQ(queued, 0u);

    // An empty block only signals; a stale block is ignored.
    ASSERT_EQ(output.NextFreeBlock(), first);
    first->bytesUsed = 0;
    output.Queue(first);
    EXPECT_EQ(output.NextFreeBlock(), first);
    second->bytesUsed = 10;
    output.Queue(second);
    EXPECT_EQ(FakeWaveOut::Queued(State()), 0u);
    EXPECT_EQ(output.SamplesWritten(), 1024u);

    output.Pause(true);
    EXPECT_TRUE(State().paused);
    output.Pause(false);
    EXPECT_FALSE(State().paused);
    output.Stop(); // direct mode closes
    EXPECT_FALSE(output.IsOpen());
    EXPECT_EQ(output.SamplesPlayed(), 0u);
    EXPECT_EQ(output.NextFreeBlock(), nullptr);
}

TEST_F(OutputDeviceTest, ResetReleasesAThreadWaitingForAFreeBlock) {
    for (const bool alwaysOpen : {false, true}) {
        SCOPED_TRACE(alwaysOpen ? "always open" : "direct");
        m_state = std::make_shared<FakeState>();
        OutputDevice output(Factory());
        ASSERT_TRUE(output.Configure(10, alwaysOpen, false));
        ASSERT_TRUE(output.Open(1, 8000, 8));
        output.Pause(true);
        QueueBytes(output, 1024, 1);
        QueueBytes(output, 1024, 2);
        ASSERT_TRUE(output.AllBlocksQueued());

        std::atomic<WaveHeader*> got{nullptr};
        std::atomic<bool> returned{false};
        std::thread waiter([&] {
            got = output.NextFreeBlock();
            returned = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_FALSE(returned);
        output.Reset();
        for (int i = 0; i < 500 && !returned; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(returned) << "Reset left the waiter waiting";
        if (!returned)
            output.Close();
        waiter.join();
        EXPECT_NE(got.load(), nullptr);
        EXPECT_EQ(output.SamplesWritten(), 0u);
        EXPECT_FALSE(output.AllBlocksQueued());
        if (!alwaysOpen) {
            EXPECT_EQ(FakeWaveOut::Queued(State()), 0u) << "every block came back";
            EXPECT_TRUE(State().paused);
        }

        // Close releases a waiter too, with no block.
        QueueBytes(output, 1024, 3);
        QueueBytes(output, 1024, 4);
        std::thread closed([&] { got = output.NextFreeBlock(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        output.Close();
        closed.join();
        EXPECT_EQ(got.load(), nullptr);
    }
}

TEST_F(OutputDeviceTest, SecondOpenWithTheSameFormatKeepsDeviceAndBlocks) {
    OutputDevice output(Factory());
    ASSERT_TRUE(output.Open(2, 44100, 16));
    output.Pause(true);
    QueueBytes(output, 4000, 5);
    ASSERT_TRUE(output.Open(2, 44100, 16));
    EXPECT_EQ(State().opens, 1);
    uint32_t total = 0, queued = 0;
    output.GetBufferInfo(total, queued);
    EXPECT_EQ(queued, 16384u);
    EXPECT_EQ(output.SamplesWritten(), 1000u);

    ASSERT_TRUE(output.Open(2, 48000, 16));
    EXPECT_EQ(State().opens, 2);
    output.GetBufferInfo(total, queued);
    EXPECT_EQ(queued, 0u);
    EXPECT_EQ(output.SamplesWritten(), 0u);
}

TEST_F(OutputDeviceTest, BusyDeviceIsAskedTenTimes) {
    OutputDevice output(Factory());
    State().busyAnswers = 3;
    EXPECT_TRUE(output.Open(1, 8000, 8));
    EXPECT_EQ(State().openCalls, 4);
    output.Close();

    State().openCalls = 0;
    State().busyAnswers = 100;
    EXPECT_FALSE(output.Open(1, 8000, 8));
    EXPECT_EQ(State().openCalls, 10);
    EXPECT_FALSE(output.IsOpen());

    OutputDevice none([] { return std::unique_ptr<WaveOut>(); });
    EXPECT_FALSE(none.Open(1, 8000, 8));
    EXPECT_FALSE(output.Open(1, 8000, 24));
}

TEST_F(OutputDeviceTest, FadeInRisesLinearlyOver750ms) {
    OutputDevice output(Factory());
    ASSERT_TRUE(output.Configure(1000, false, true));
    ASSERT_TRUE(output.Open(1, 8000, 16)); // 6000 frames, step 1 + 65536 / 6000 = 11
    std::vector<int16_t> loud(1024, 10000), quiet(1024, -10000);
    for (int i = 0; i < 8; ++i) {
        QueueSamples(output, i % 2 == 0 ? loud : quiet);
        ASSERT_TRUE(FakeWaveOut::PlayOne(State()));
    }
    std::vector<int16_t> played(State().played.size() / 2);
    std::memcpy(played.data(), State().played.data(), played.size() * 2);
    ASSERT_EQ(played.size(), 8192u);
    for (size_t i = 0; i < played.size(); ++i) {
        const int sample = (i / 1024) % 2 == 0 ? 10000 : -10000;
        const int64_t gain = 11 * static_cast<int64_t>(i);
        const int expected = gain <= 0xFFFF ? static_cast<int>((gain * sample) >> 16) : sample;
        ASSERT_EQ(played[i], expected) << i;
    }
    EXPECT_EQ(played[0], 0);
    EXPECT_EQ(played[5957], (65527 * -10000) >> 16); // the last faded frame
    EXPECT_EQ(played[5958], -10000);

    // Reset arms it again; the block path may cancel it.
    output.Reset();
    QueueSamples(output, loud);
    ASSERT_TRUE(FakeWaveOut::PlayOne(State()));
    EXPECT_EQ(State().last[0] | State().last[1], 0);
    output.Reset();
    output.CancelFadeIn();
    QueueSamples(output, loud);
    ASSERT_TRUE(FakeWaveOut::PlayOne(State()));
    int16_t first = 0;
    std::memcpy(&first, State().last.data(), 2);
    EXPECT_EQ(first, 10000);

    // 8-bit fades around the unsigned midpoint.
    output.Close();
    ASSERT_TRUE(output.Open(2, 8000, 8));
    QueueBytes(output, 2048, 228); // +100
    ASSERT_TRUE(FakeWaveOut::PlayOne(State()));
    const std::vector<uint8_t>& faded = State().last;
    EXPECT_EQ(faded[0], 128);
    EXPECT_EQ(faded[1], 128);
    EXPECT_EQ(faded[2 * 1000], ((11000 * 100) >> 16) + 128);
}

TEST_F(OutputDeviceTest, PeaksOfFinishedBlocks) {
    OutputDevice output(Factory());
    ASSERT_TRUE(output.Open(1, 8000, 16));
    QueueSamples(output, std::vector<int16_t>(512, 32767));
    ASSERT_TRUE(FakeWaveOut::PlayOne(State()));
    int left = -1, right = -1;
    output.GetLevels(left, right);
    EXPECT_EQ(left + right, 0) << "not measuring";

    output.SetMeasuring(true);
    EXPECT_TRUE(output.Measuring());
    QueueSamples(output, std::vector<int16_t>(512, 32767));
    ASSERT_TRUE(FakeWaveOut::PlayOne(State()));
    output.GetLevels(left, right);
    EXPECT_EQ(left, 100);
    EXPECT_EQ(right, 100);

    output.Close();
    ASSERT_TRUE(output.Open(2, 8000, 16));
    std::vector<int16_t> stereo;
    for (int i = 0; i < 256; ++i) {
        stereo.push_back(static_cast<int16_t>(i == 7 ? 16384 : -32768)); // only rises count
        stereo.push_back(static_cast<int16_t>(i == 9 ? 3277 : 0));
    }
    QueueSamples(output, stereo);
    ASSERT_TRUE(FakeWaveOut::PlayOne(State()));
    output.GetLevels(left, right);
    EXPECT_EQ(left, 50);
    EXPECT_EQ(right, 10);
    output.Reset();
    output.GetLevels(left, right);
    EXPECT_EQ(left + right, 0);

    output.Close();
    ASSERT_TRUE(output.Open(2, 8000, 8));
    WaveHeader* block = output.NextFreeBlock();
    std::memset(block->data, 128, 100);
    block->data[10] = 255;
    block->data[21] = 0; // below the midpoint: no level
    block->bytesUsed = 100;
    output.Queue(block);
    ASSERT_TRUE(FakeWaveOut::PlayOne(State()));
    output.GetLevels(left, right);
    EXPECT_EQ(left, 100);
    EXPECT_EQ(right, 0);
}

TEST(OutputDeviceHelpers, ZeroScanCountsSilentFrames) {
    const std::vector<int16_t> stereo = {0, 0, 16, -16, 17, 0, 0, 0, -16, 16};
    const auto* data = reinterpret_cast<const uint8_t*>(stereo.data());
    EXPECT_EQ(OutputDevice::ZeroScan(false, 2, 16, data, 20), 8u);
    EXPECT_EQ(OutputDevice::ZeroScan(true, 2, 16, data, 20), 8u);
    EXPECT_EQ(OutputDevice::ZeroScan(true, 2, 16, data, 19), 4u) << "a partial frame is no frame";
    EXPECT_EQ(OutputDevice::ZeroScan(false, 1, 16, data, 20), 8u);
    const uint8_t bytes[] = {0x80, 0x80, 0x80, 0x81, 0x80, 0x80};
    EXPECT_EQ(OutputDevice::ZeroScan(false, 1, 8, bytes, 6), 3u);
    EXPECT_EQ(OutputDevice::ZeroScan(true, 1, 8, bytes, 6), 2u);
    EXPECT_EQ(OutputDevice::ZeroScan(false, 3, 8, bytes, 6), 3u);
    EXPECT_EQ(OutputDevice::ZeroScan(false, 1, 8, bytes, 3), 3u);
    EXPECT_EQ(OutputDevice::ZeroScan(false, 0, 8, bytes, 6), 0u);
}

TEST(OutputDeviceHelpers, PreampScalesAndSaturates) {
    std::vector<int16_t> samples = {1000, -1000, 20000, -20000, 32767, -32768};
    OutputDevice::Preamp(16, reinterpret_cast<uint8_t*>(samples.data()), 12, 256);
    EXPECT_EQ(samples[2], 20000);
    OutputDevice::Preamp(16, reinterpret_cast<uint8_t*>(samples.data()), 12, 512);
    EXPECT_EQ(samples, (std::vector<int16_t>{2000, -2000, 32767, -32768, 32767, -32768}));
    OutputDevice::Preamp(16, reinterpret_cast<uint8_t*>(samples.data()), 4, 128);
    EXPECT_EQ(samples[0], 1000);
    EXPECT_EQ(samples[1], -1000);

    std::vector<uint8_t> bytes = {128, 138, 118, 200, 50, 0, 255};
    OutputDevice::Preamp(8, bytes.data(), bytes.size(), 512);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{128, 148, 108, 255, 0, 0, 255}));
}

TEST_F(OutputDeviceTest, AlwaysOpenPlaysSilenceWhilePausedAndResumesWithoutReopening) {
    OutputDevice output(Factory());
    ASSERT_TRUE(output.Configure(10, true, false));
    ASSERT_TRUE(output.Open(1, 8000, 8)); // device buffers of 512 bytes
    ASSERT_TRUE(FakeWaveOut::WaitQueued(State(), 8)) << "the feeder fills all eight at once";
    output.Pause(true);
    QueueBytes(output, 700, 0x90);
    for (int i = 0; i < 12; ++i) // the device keeps running, on silence
        ASSERT_TRUE(FakeWaveOut::PlayOne(State()));
    EXPECT_EQ(State().played, std::vector<uint8_t>(12 * 512, 0));
    EXPECT_EQ(output.SamplesPlayed(), 0u);
    EXPECT_FALSE(output.Drained());

    output.Pause(false);
    // Up to eight silent buffers were already queued; after them the block comes.
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(FakeWaveOut::PlayOne(State()));
    const std::vector<uint8_t>& played = State().played;
    const auto first = std::find(played.begin(), played.end(), 0x90);
    ASSERT_NE(first, played.end());
    EXPECT_EQ(std::count(played.begin(), played.end(), 0x90), 700);
    EXPECT_TRUE(std::all_of(first, first + 700, [](uint8_t b) { return b == 0x90; }));
    EXPECT_EQ(output.SamplesPlayed(), 700u);
    EXPECT_TRUE(output.Drained());
    EXPECT_EQ(State().opens, 1);

    // Stop is a reset: the device stays open, paused, counters at zero.
    output.Stop();
    EXPECT_TRUE(output.IsOpen());
    EXPECT_EQ(output.SamplesPlayed(), 0u);
    EXPECT_EQ(State().opens, 1);
    output.Close();
    EXPECT_EQ(FakeWaveOut::Queued(State()), 0u);
}

TEST_F(OutputDeviceTest, VolumeWordReachesOpenAndLaterDevices) {
    OutputDevice output(Factory());
    EXPECT_EQ(OutputDevice::GetVolume(), 0xFFFFFFFFu);
    ASSERT_TRUE(output.Open(2, 44100, 16));
    OutputDevice::SetVolume(0x12345678);
    EXPECT_EQ(State().volume, 0x12345678u);
    State().volume = 0x11112222; // the device answers for itself
    EXPECT_EQ(OutputDevice::GetVolume(), 0x11112222u);
    output.Close();
    EXPECT_EQ(OutputDevice::GetVolume(), 0x12345678u);

    OutputDevice::SetVolume(0); // muted stays muted on the next device
    m_state->volume = 0xFFFFFFFF;
    ASSERT_TRUE(output.Open(2, 44100, 16));
    EXPECT_EQ(State().volume, 0u);
    output.Close();
    OutputDevice::SetVolume(0xFFFFFFFF);
}

// Through a real device thread: what reaches the recording is exactly what was queued, after
// the volume.
TEST(OutputDeviceRecording, WavSinkGetsTheQueuedBytes) {
    TempFolder folder;
    struct VolumeBack {
        ~VolumeBack() { OutputDevice::SetVolume(0xFFFFFFFF); }
    } volumeBack;
    for (const bool alwaysOpen : {false, true}) {
        SCOPED_TRACE(alwaysOpen ? "always open" : "direct");
        const std::string path = folder.File(alwaysOpen ? "always.wav" : "direct.wav");
        OutputDevice::SetVolume(0x8000FFFF); // left unity, right about half
        OutputDevice output([&] {
            // Real time for the feeder, which would otherwise fill the file with silence.
            return std::make_unique<WavFileWaveOut>(path, !alwaysOpen);
        });
        ASSERT_TRUE(output.Configure(1000, alwaysOpen, false)); // room for all of it
        ASSERT_TRUE(output.Open(2, 8000, 16));
        output.Pause(true);
        std::vector<int16_t> samples;
        for (int i = 0; i < 5000; ++i)
            samples.push_back(static_cast<int16_t>((i % 2 == 0 ? 3 : -7) * (i + 1)));
        for (size_t at = 0; at < samples.size();) {
            WaveHeader* block = output.NextFreeBlock();
            ASSERT_NE(block, nullptr);
            const size_t count = std::min<size_t>(block->bufferLength / 2, samples.size() - at);
            std::memcpy(block->data, samples.data() + at, count * 2);
            block->bytesUsed = static_cast<uint32_t>(count * 2);
            output.Queue(block);
            at += count;
        }
        output.Pause(false); // no underrun: every sample is queued first
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!output.Drained() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_TRUE(output.Drained());
        // Always-open: drained means moved into the device buffers, which still play.
        std::vector<int16_t> recorded;
        auto first = recorded.begin();
        do {
            const std::string file = folder.Read(alwaysOpen ? "always.wav" : "direct.wav");
            ASSERT_GE(file.size(), 44u);
            recorded.resize((file.size() - 44) / 2);
            std::memcpy(recorded.data(), file.data() + 44, recorded.size() * 2);
            // The always-open device plays silence around the data.
            first = std::find_if(recorded.begin(), recorded.end(), [](int16_t s) { return s; });
            if (recorded.end() - first >= static_cast<long>(samples.size()))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < deadline);
        output.Close();
        ASSERT_GE(recorded.end() - first, static_cast<long>(samples.size()));
        for (size_t i = 0; i < samples.size(); ++i) {
            const int expected = i % 2 == 0 ? samples[i] : (samples[i] * 0x8001) >> 16;
            ASSERT_EQ(first[static_cast<long>(i)], expected) << i;
        }
        EXPECT_TRUE(std::all_of(first + static_cast<long>(samples.size()), recorded.end(),
                                [](int16_t s) { return s == 0; }));
    }
}

} // namespace
