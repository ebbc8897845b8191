#include "engine/output/OutputDevice.h"

#include "platform/Interlocked.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr int kOpenAttempts = 10;
constexpr uint32_t kBusyRetryMs = 100;
constexpr int kFadeMs = 750;
// A ring larger than this is taken for a configuration error, not allocated.
constexpr uint64_t kMaxRingBytes = 256u << 20;

// The volume word shared by all output devices, and the devices that take it.
std::atomic<uint32_t> globalVolume{0xFFFFFFFF};
std::mutex devicesMutex;
std::vector<OutputDevice*> devices;

int16_t Sample16(const uint8_t* at) {
    int16_t sample;
    std::memcpy(&sample, at, 2);
    return sample;
}

void Store16(uint8_t* at, int32_t sample) {
    const auto value = static_cast<int16_t>(sample);
    std::memcpy(at, &value, 2);
}

} // namespace

OutputDevice::OutputDevice(std::function<std::unique_ptr<WaveOut>()> makeDevice)
    : m_makeDevice(std::move(makeDevice)) {
    std::lock_guard lock(devicesMutex);
    devices.push_back(this);
}

OutputDevice::~OutputDevice() {
    Close();
    std::lock_guard lock(devicesMutex);
    std::erase(devices, this);
}

bool OutputDevice::Configure(int bufferMs, bool alwaysOpen, bool fadeIn) {
    std::lock_guard lock(m_lifecycle);
    if (m_open || bufferMs < 10)
        return false;
    m_bufferMs = bufferMs;
    m_alwaysOpen = alwaysOpen;
    m_fadeIn = fadeIn;
    return true;
}

void OutputDevice::GetConfiguration(int& bufferMs, bool& alwaysOpen, bool& fadeIn) const {
    std::lock_guard lock(m_lifecycle);
    bufferMs = m_bufferMs;
    alwaysOpen = m_alwaysOpen;
    fadeIn = m_fadeIn;
}

bool OutputDevice::Open(int channels, int rate, int bits) {
    std::lock_guard lock(m_lifecycle);
    if (m_open && m_format.channels == channels && m_format.rate == rate && m_format.bits == bits)
        return true;
    CloseLocked();
    if (channels < 1 || rate < 1 || (bits != 8 && bits != 16))
        return false;
    const WaveOut::Format format{channels, rate, bits};

    std::unique_ptr<WaveOut> device = OpenDevice(format);
    if (!device)
        return false;
    {
        CriticalSection::Lock deviceLock(m_deviceLock);
        m_device = std::move(device);
        // Every device takes the global word, silence included: a device opened later must not
        // come up louder than the one before it.
        m_device->SetVolume(globalVolume);
    }
    if (!AllocateRing(format) || (m_alwaysOpen && !StartFeeder())) {
        CloseLocked();
        return false;
    }
    return true;
}

std::unique_ptr<WaveOut> OutputDevice::OpenDevice(const WaveOut::Format& format) {
    std::unique_ptr<WaveOut> device = m_makeDevice ? m_makeDevice() : nullptr;
    if (!device)
        return nullptr;
    WaveOut::DoneCallback done;
    if (m_alwaysOpen)
        done = [this](WaveHeader* buffer) { AlwaysOpenDone(buffer); };
    else
        done = [this](WaveHeader* block) { DirectDone(block); };
    // A device still held by someone else is asked again for a second.
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (attempt > 0)
            Thread::Sleep(kBusyRetryMs);
        const int result = device->Open(format, done);
        if (result == WaveOut::kOk)
            return device;
        if (result != WaveOut::kAllocated)
            break;
    }
    return nullptr;
}

bool OutputDevice::AllocateRing(const WaveOut::Format& format) {
    uint32_t blockSize = format.rate > 11025 ? 2048 : 1024;
    if (format.rate > 22050)
        blockSize *= 2;
    if (format.channels > 1)
        blockSize *= 2;
    if (format.bits > 8)
        blockSize *= 2;
    const int align = format.channels * format.bits / 8;
    const uint64_t bytesPerSecond =
        static_cast<uint64_t>(format.rate) * static_cast<uint64_t>(align);
    const uint64_t quotient = static_cast<uint64_t>(m_bufferMs) * bytesPerSecond / blockSize / 1000;
    const uint64_t count = quotient == 0 ? 2 : quotient + 1;
    if (count * blockSize > kMaxRingBytes)
        return false;

    CriticalSection::Lock ringLock(m_ringLock);
    try {
        m_blockData.assign(count * blockSize, 0);
        m_blocks.assign(count, WaveHeader{});
    } catch (const std::bad_alloc&) {
        ClearRing();
        return false;
    }
    for (size_t i = 0; i < m_blocks.size(); ++i) {
        WaveHeader& block = m_blocks[i];
        block.data = m_blockData.data() + i * blockSize;
        block.bufferLength = blockSize;
        // Direct mode: the owner, as the device's callback knows it; always-open mode: the read
        // offset of the feeder.
        block.user = m_alwaysOpen ? 0 : reinterpret_cast<uintptr_t>(this);
        block.flags = WHDR_PREPARED;
    }
    m_blockSize = blockSize;
    m_blockCount = static_cast<int>(count);
    m_writeIndex = m_queuedBlocks = m_readIndex = 0;
    m_samplesWritten = 0;
    m_samplesMoved = 0;
    m_format = format;
    m_blockAlign = align;
    ArmFadeIn();
    m_open = true;
    m_freeBlock.Set();
    return true;
}

bool OutputDevice::StartFeeder() {
    uint32_t size = m_format.rate <= 11025 ? 512 : m_format.rate <= 22050 ? 1024 : 2048;
    size *= static_cast<uint32_t>(m_format.channels);
    if (m_format.bits > 8)
        size *= 2;
    try {
        m_deviceData.assign(size * kDeviceBuffers, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int i = 0; i < kDeviceBuffers; ++i) {
        WaveHeader& buffer = m_deviceBuffers[i];
        buffer = WaveHeader{};
        buffer.data = m_deviceData.data() + i * size;
        buffer.bufferLength = size;
        buffer.user = reinterpret_cast<uintptr_t>(this);
        buffer.flags = WHDR_PREPARED;
        m_silent[i] = true;
    }
    m_freeDeviceBuffers = kDeviceBuffers;
    m_nextDeviceBuffer = 0;
    m_paused = false;
    m_feederQuit = false;
    m_feederWake.Set();
    if (!m_feeder.Start([this] { FeederMain(); }, Thread::kPriorityTimeCritical))
        return false;
    // The decoding thread that opened the device runs high too, until the player lowers it for
    // prebuffering (best effort).
    Thread::SetCurrentCePriority(160);
    return true;
}

void OutputDevice::Close() {
    std::lock_guard lock(m_lifecycle);
    CloseLocked();
}

void OutputDevice::CloseLocked() {
    StopFeeder();
    {
        CriticalSection::Lock ringLock(m_ringLock);
        m_open = false; // no more blocks are handed out or taken
    }
    {
        CriticalSection::Lock deviceLock(m_deviceLock);
        if (m_device) {
            m_paused = true;
            m_device->Close(); // every block still queued comes back first
            m_device.reset();
        }
    }
    {
        CriticalSection::Lock ringLock(m_ringLock);
        ClearRing();
    }
    m_freeBlock.Set(); // a waiter finds the device closed
}

void OutputDevice::ClearRing() {
    std::vector<WaveHeader>().swap(m_blocks);
    std::vector<uint8_t>().swap(m_blockData);
    std::vector<uint8_t>().swap(m_deviceData);
    m_blockSize = 0;
    m_blockCount = m_writeIndex = m_queuedBlocks = m_readIndex = 0;
    m_samplesWritten = 0;
    m_samplesMoved = 0;
    m_fadeFrames = 0;
    m_format = WaveOut::Format{0, 0, 0};
    m_blockAlign = 0;
}

void OutputDevice::Stop() {
    if (m_alwaysOpen)
        Reset();
    else
        Close();
}

bool OutputDevice::IsOpen() const {
    return m_open;
}

WaveHeader* OutputDevice::NextFreeBlock() {
    if (!m_open)
        return nullptr;
    m_freeBlock.Wait();
    CriticalSection::Lock ringLock(m_ringLock);
    return m_open ? &m_blocks[m_writeIndex] : nullptr;
}

bool OutputDevice::WaitFreeBlock(uint32_t timeoutMs) {
    return m_freeBlock.Wait(timeoutMs);
}

void OutputDevice::Queue(WaveHeader* block) {
    if (!block)
        return;
    if (block->bytesUsed == 0) {
        m_freeBlock.Set();
        return;
    }
    // Counts the block in under the ring lock; false for a block that is not the one handed out.
    const auto take = [this, block] {
        if (!m_open || block != &m_blocks[m_writeIndex] || block->bytesUsed > block->bufferLength)
            return false;
        block->bytesUsed -= block->bytesUsed % static_cast<uint32_t>(m_blockAlign); // whole frames
        if (block->bytesUsed == 0) {
            m_freeBlock.Set();
            return false;
        }
        FadeIn(block);
        if (++m_queuedBlocks == m_blockCount)
            m_freeBlock.Reset();
        m_writeIndex = (m_writeIndex + 1) % m_blockCount;
        m_samplesWritten += block->bytesUsed / static_cast<uint32_t>(m_blockAlign);
        return true;
    };
    if (m_alwaysOpen) {
        CriticalSection::Lock ringLock(m_ringLock);
        take();
        return;
    }
    CriticalSection::Lock deviceLock(m_deviceLock);
    if (!m_device)
        return;
    {
        CriticalSection::Lock ringLock(m_ringLock);
        if (!take())
            return;
    }
    if (m_device->Write(block) != WaveOut::kOk) {
        // The device refused it: the block is free again.
        CriticalSection::Lock ringLock(m_ringLock);
        --m_queuedBlocks;
        m_writeIndex = (m_writeIndex + m_blockCount - 1) % m_blockCount;
        m_samplesWritten -= block->bytesUsed / static_cast<uint32_t>(m_blockAlign);
        m_freeBlock.Set();
    }
}

void OutputDevice::Pause(bool pause) {
    if (m_alwaysOpen) {
        m_paused = pause;
        return;
    }
    CriticalSection::Lock deviceLock(m_deviceLock);
    if (m_device) {
        if (pause)
            m_device->Pause();
        else
            m_device->Restart();
    }
}

void OutputDevice::Reset() {
    if (m_alwaysOpen) {
        CriticalSection::Lock ringLock(m_ringLock);
        m_feederWake.Set();
        m_paused = true;
        m_samplesWritten = 0;
        m_writeIndex = m_queuedBlocks = m_readIndex = 0;
        m_samplesMoved = 0;
        for (WaveHeader& block : m_blocks)
            block.user = 0;
        ArmFadeIn();
    } else {
        CriticalSection::Lock deviceLock(m_deviceLock);
        if (m_device) {
            m_device->Pause();
            m_device->Reset(); // every queued block comes back through the callback
        }
        {
            CriticalSection::Lock ringLock(m_ringLock);
            m_samplesWritten = 0;
            m_writeIndex = m_queuedBlocks = 0;
            ArmFadeIn();
        }
        if (m_device)
            m_device->Pause(); // it stays paused until the prebuffer is full again
    }
    m_freeBlock.Set(); // releases a thread waiting for a free block
    ClearLevels();
}

uint64_t OutputDevice::SamplesPlayed() {
    if (!m_open)
        return 0;
    if (m_alwaysOpen)
        return m_samplesMoved;
    CriticalSection::Lock deviceLock(m_deviceLock);
    return m_device ? m_device->Position() : 0;
}

uint64_t OutputDevice::SamplesWritten() const {
    return m_samplesWritten;
}

bool OutputDevice::Drained() {
    return SamplesPlayed() >= SamplesWritten();
}

uint64_t OutputDevice::QueuedSamples() {
    const uint64_t played = SamplesPlayed(), written = SamplesWritten();
    return written > played ? written - played : 0;
}

bool OutputDevice::AllBlocksQueued() const {
    CriticalSection::Lock ringLock(m_ringLock);
    return m_open && m_queuedBlocks == m_blockCount;
}

void OutputDevice::GetBufferInfo(uint32_t& totalBytes, uint32_t& queuedBytes) const {
    CriticalSection::Lock ringLock(m_ringLock);
    totalBytes = m_blockSize * static_cast<uint32_t>(m_blockCount);
    queuedBytes = m_blockSize * static_cast<uint32_t>(std::max(m_queuedBlocks, 0));
}

uint32_t OutputDevice::BlockSize() const {
    CriticalSection::Lock ringLock(m_ringLock);
    return m_blockSize;
}

int OutputDevice::BlockAlign() const {
    CriticalSection::Lock ringLock(m_ringLock);
    return m_blockAlign;
}

void OutputDevice::SetMeasuring(bool on) {
    m_measuring = on;
}

bool OutputDevice::Measuring() const {
    return m_measuring;
}

void OutputDevice::GetLevels(int& left, int& right) const {
    left = m_levelLeft;
    right = m_levelRight;
}

void OutputDevice::ClearLevels() {
    m_levelLeft = 0;
    m_levelRight = 0;
}

void OutputDevice::CancelFadeIn() {
    CriticalSection::Lock ringLock(m_ringLock);
    m_fadeFrames = 0;
}

void OutputDevice::StopFeeder() {
    if (!m_feeder.IsRunning())
        return;
    m_feederQuit = true;
    m_feederWake.Set();
    m_feeder.Wait();
    m_feederQuit = false;
}

void OutputDevice::FeederMain() {
    for (;;) {
        m_feederWake.Wait();
        if (m_feederQuit)
            break;
        // Only the feeder takes device buffers, so a count above 0 stays so until it takes one.
        // A wake-up without a free buffer (a reset) only goes back to waiting.
        const bool free = Interlocked::Read(m_freeDeviceBuffers) > 0;
        if (!free || Interlocked::Decrement(m_freeDeviceBuffers) == 0) {
            m_feederWake.Reset();
            // A buffer that came back between the count and the reset must not be missed.
            if (Interlocked::Read(m_freeDeviceBuffers) > 0 || m_feederQuit)
                m_feederWake.Set();
        }
        if (!free)
            continue;
        FillDeviceBuffer(m_nextDeviceBuffer);
        m_nextDeviceBuffer = (m_nextDeviceBuffer + 1) % kDeviceBuffers;
    }
}

void OutputDevice::FillDeviceBuffer(int index) {
    CriticalSection::Lock deviceLock(m_deviceLock);
    if (!m_device)
        return;
    WaveHeader& buffer = m_deviceBuffers[index];
    const uint32_t length = buffer.bufferLength;
    uint32_t used = 0;
    while (used < length) {
        CriticalSection::Lock ringLock(m_ringLock);
        if (m_queuedBlocks == 0 || m_paused) {
            if (m_silent[index]) {
                used = length; // it still holds the silence it played last time
                break;
            }
            if (used == 0)
                m_silent[index] = true;
            std::memset(buffer.data + used, 0, length - used);
            used = length;
            break;
        }
        WaveHeader& block = m_blocks[m_readIndex];
        const uint32_t offset = static_cast<uint32_t>(block.user);
        const uint32_t count = std::min(length - used, block.bytesUsed - offset);
        std::memcpy(buffer.data + used, block.data + offset, count);
        used += count;
        block.user = offset + count;
        m_silent[index] = false;
        m_samplesMoved += count / static_cast<uint32_t>(m_blockAlign);
        if (block.user >= block.bytesUsed) {
            block.user = 0;
            --m_queuedBlocks;
            m_readIndex = (m_readIndex + 1) % m_blockCount;
            m_freeBlock.Set();
        }
    }
    buffer.bytesUsed = used;
    m_device->Write(&buffer);
}

void OutputDevice::DirectDone(WaveHeader* block) {
    if (m_measuring)
        MeasurePeaks(block);
    CriticalSection::Lock ringLock(m_ringLock);
    m_freeBlock.Set();
    --m_queuedBlocks;
}

void OutputDevice::AlwaysOpenDone(WaveHeader* buffer) {
    if (m_measuring)
        MeasurePeaks(buffer);
    Interlocked::Increment(m_freeDeviceBuffers);
    m_feederWake.Set();
}

void OutputDevice::ArmFadeIn() {
    if (!m_fadeIn || m_format.rate <= 0) {
        m_fadeFrames = 0;
        return;
    }
    const int32_t frames = std::max<int32_t>(
        1, static_cast<int32_t>(static_cast<int64_t>(m_format.rate) * kFadeMs / 1000));
    m_fadeStep = 1 + 65536 / frames;
    m_fadeGain = 0;
    m_fadeFrames = frames;
}

void OutputDevice::FadeIn(WaveHeader* block) {
    if (m_fadeFrames <= 0)
        return;
    const int channels = m_format.channels;
    const size_t frames = block->bytesUsed / static_cast<uint32_t>(m_blockAlign);
    uint8_t* at = block->data;
    for (size_t frame = 0; frame < frames && m_fadeFrames > 0; ++frame) {
        for (int channel = 0; channel < channels; ++channel) {
            if (m_format.bits == 8) {
                *at = static_cast<uint8_t>(((m_fadeGain * (*at - 128)) >> 16) + 128);
                at += 1;
            } else {
                Store16(at, (m_fadeGain * Sample16(at)) >> 16);
                at += 2;
            }
        }
        --m_fadeFrames;
        m_fadeGain += m_fadeStep;
        if (m_fadeGain > 0xFFFF)
            m_fadeFrames = 0;
    }
}

void OutputDevice::MeasurePeaks(const WaveHeader* block) {
    const int channels = m_format.channels;
    int left = 0, right = 0;
    if (m_format.bits == 8) {
        int maxLeft = 128, maxRight = 128;
        for (uint32_t i = 0; i < block->bytesUsed; ++i) {
            int& max = i % 2 == 0 || channels == 1 ? maxLeft : maxRight;
            max = std::max<int>(max, block->data[i]);
        }
        left = (maxLeft - 128) * 100 / 127;
        right = (maxRight - 128) * 100 / 127;
    } else {
        int maxLeft = 0, maxRight = 0;
        for (uint32_t i = 0; i + 1 < block->bytesUsed; i += 2) {
            int& max = (i / 2) % 2 == 0 || channels == 1 ? maxLeft : maxRight;
            max = std::max<int>(max, Sample16(block->data + i));
        }
        left = maxLeft * 100 / 32767;
        right = maxRight * 100 / 32767;
    }
    m_levelLeft = left;
    m_levelRight = channels == 1 ? left : right;
}

size_t OutputDevice::ZeroScan(bool fromTail, int channels, int bits, const uint8_t* data,
                              size_t bytes) {
    if (channels < 1 || (bits != 8 && bits != 16) || !data)
        return 0;
    const size_t sampleBytes = static_cast<size_t>(bits / 8);
    const size_t frameBytes = sampleBytes * static_cast<size_t>(channels);
    const size_t frames = bytes / frameBytes;
    const auto silent = [&](size_t frame) {
        const uint8_t* at = data + frame * frameBytes;
        for (int channel = 0; channel < channels; ++channel, at += sampleBytes) {
            if (bits == 8 ? *at != 0x80 : (Sample16(at) < -16 || Sample16(at) > 16))
                return false;
        }
        return true;
    };
    size_t count = 0;
    while (count < frames && silent(fromTail ? frames - 1 - count : count))
        ++count;
    return count * frameBytes;
}

void OutputDevice::Preamp(int bits, uint8_t* data, size_t bytes, int gain) {
    if (gain == 256 || !data)
        return;
    if (bits == 8) {
        for (size_t i = 0; i < bytes; ++i) {
            const int64_t value = ((static_cast<int64_t>(gain) * (data[i] - 128)) >> 8) + 128;
            data[i] = static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 255));
        }
    } else if (bits == 16) {
        for (size_t i = 0; i + 1 < bytes; i += 2) {
            const int64_t value = (static_cast<int64_t>(gain) * Sample16(data + i)) >> 8;
            Store16(data + i, static_cast<int32_t>(std::clamp<int64_t>(value, -32768, 32767)));
        }
    }
}

void OutputDevice::SetVolume(uint32_t volume) {
    globalVolume = volume;
    std::lock_guard lock(devicesMutex);
    for (OutputDevice* output : devices) {
        CriticalSection::Lock deviceLock(output->m_deviceLock);
        if (output->m_device)
            output->m_device->SetVolume(volume);
    }
}

uint32_t OutputDevice::GetVolume() {
    std::lock_guard lock(devicesMutex);
    for (OutputDevice* output : devices) {
        CriticalSection::Lock deviceLock(output->m_deviceLock);
        uint32_t volume = 0;
        if (output->m_device && output->m_device->GetVolume(volume) == WaveOut::kOk)
            return volume;
    }
    return globalVolume;
}
