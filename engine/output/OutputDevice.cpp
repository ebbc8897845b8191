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
    : makeDevice_(std::move(makeDevice)) {
    std::lock_guard lock(devicesMutex);
    devices.push_back(this);
}

OutputDevice::~OutputDevice() {
    Close();
    std::lock_guard lock(devicesMutex);
    std::erase(devices, this);
}

bool OutputDevice::Configure(int bufferMs, bool alwaysOpen, bool fadeIn) {
    std::lock_guard lock(lifecycle_);
    if (open_ || bufferMs < 10)
        return false;
    bufferMs_ = bufferMs;
    alwaysOpen_ = alwaysOpen;
    fadeIn_ = fadeIn;
    return true;
}

void OutputDevice::GetConfiguration(int& bufferMs, bool& alwaysOpen, bool& fadeIn) const {
    std::lock_guard lock(lifecycle_);
    bufferMs = bufferMs_;
    alwaysOpen = alwaysOpen_;
    fadeIn = fadeIn_;
}

bool OutputDevice::Open(int channels, int rate, int bits) {
    std::lock_guard lock(lifecycle_);
    if (open_ && format_.channels == channels && format_.rate == rate && format_.bits == bits)
        return true;
    CloseLocked();
    if (channels < 1 || rate < 1 || (bits != 8 && bits != 16))
        return false;
    const WaveOut::Format format{channels, rate, bits};

    std::unique_ptr<WaveOut> device = OpenDevice(format);
    if (!device)
        return false;
    {
        CriticalSection::Lock deviceLock(deviceLock_);
        device_ = std::move(device);
        // Every device takes the global word, silence included: a device opened later must not
        // come up louder than the one before it.
        device_->SetVolume(globalVolume);
    }
    if (!AllocateRing(format) || (alwaysOpen_ && !StartFeeder())) {
        CloseLocked();
        return false;
    }
    return true;
}

std::unique_ptr<WaveOut> OutputDevice::OpenDevice(const WaveOut::Format& format) {
    std::unique_ptr<WaveOut> device = makeDevice_ ? makeDevice_() : nullptr;
    if (!device)
        return nullptr;
    WaveOut::DoneCallback done;
    if (alwaysOpen_)
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
    const uint64_t quotient = static_cast<uint64_t>(bufferMs_) * bytesPerSecond / blockSize / 1000;
    const uint64_t count = quotient == 0 ? 2 : quotient + 1;
    if (count * blockSize > kMaxRingBytes)
        return false;

    CriticalSection::Lock ringLock(ringLock_);
    try {
        blockData_.assign(count * blockSize, 0);
        blocks_.assign(count, WaveHeader{});
    } catch (const std::bad_alloc&) {
        ClearRing();
        return false;
    }
    for (size_t i = 0; i < blocks_.size(); ++i) {
        WaveHeader& block = blocks_[i];
        block.data = blockData_.data() + i * blockSize;
        block.bufferLength = blockSize;
        // Direct mode: the owner, as the device's callback knows it; always-open mode: the read
        // offset of the feeder.
        block.user = alwaysOpen_ ? 0 : reinterpret_cast<uintptr_t>(this);
        block.flags = WHDR_PREPARED;
    }
    blockSize_ = blockSize;
    blockCount_ = static_cast<int>(count);
    writeIndex_ = queuedBlocks_ = readIndex_ = 0;
    samplesWritten_ = 0;
    samplesMoved_ = 0;
    format_ = format;
    blockAlign_ = align;
    ArmFadeIn();
    open_ = true;
    freeBlock_.Set();
    return true;
}

bool OutputDevice::StartFeeder() {
    uint32_t size = format_.rate <= 11025 ? 512 : format_.rate <= 22050 ? 1024 : 2048;
    size *= static_cast<uint32_t>(format_.channels);
    if (format_.bits > 8)
        size *= 2;
    try {
        deviceData_.assign(size * kDeviceBuffers, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int i = 0; i < kDeviceBuffers; ++i) {
        WaveHeader& buffer = deviceBuffers_[i];
        buffer = WaveHeader{};
        buffer.data = deviceData_.data() + i * size;
        buffer.bufferLength = size;
        buffer.user = reinterpret_cast<uintptr_t>(this);
        buffer.flags = WHDR_PREPARED;
        silent_[i] = true;
    }
    freeDeviceBuffers_ = kDeviceBuffers;
    nextDeviceBuffer_ = 0;
    paused_ = false;
    feederQuit_ = false;
    feederWake_.Set();
    if (!feeder_.Start([this] { FeederMain(); }, Thread::kPriorityTimeCritical))
        return false;
    // The decoding thread that opened the device runs high too, until the player lowers it for
    // prebuffering (best effort).
    Thread::SetCurrentCePriority(160);
    return true;
}

void OutputDevice::Close() {
    std::lock_guard lock(lifecycle_);
    CloseLocked();
}

void OutputDevice::CloseLocked() {
    StopFeeder();
    {
        CriticalSection::Lock ringLock(ringLock_);
        open_ = false; // no more blocks are handed out or taken
    }
    {
        CriticalSection::Lock deviceLock(deviceLock_);
        if (device_) {
            paused_ = true;
            device_->Close(); // every block still queued comes back first
            device_.reset();
        }
    }
    {
        CriticalSection::Lock ringLock(ringLock_);
        ClearRing();
    }
    freeBlock_.Set(); // a waiter finds the device closed
}

void OutputDevice::ClearRing() {
    std::vector<WaveHeader>().swap(blocks_);
    std::vector<uint8_t>().swap(blockData_);
    std::vector<uint8_t>().swap(deviceData_);
    blockSize_ = 0;
    blockCount_ = writeIndex_ = queuedBlocks_ = readIndex_ = 0;
    samplesWritten_ = 0;
    samplesMoved_ = 0;
    fadeFrames_ = 0;
    format_ = WaveOut::Format{0, 0, 0};
    blockAlign_ = 0;
}

void OutputDevice::Stop() {
    if (alwaysOpen_)
        Reset();
    else
        Close();
}

bool OutputDevice::IsOpen() const {
    return open_;
}

WaveHeader* OutputDevice::NextFreeBlock() {
    if (!open_)
        return nullptr;
    freeBlock_.Wait();
    CriticalSection::Lock ringLock(ringLock_);
    return open_ ? &blocks_[writeIndex_] : nullptr;
}

bool OutputDevice::WaitFreeBlock(uint32_t timeoutMs) {
    return freeBlock_.Wait(timeoutMs);
}

void OutputDevice::Queue(WaveHeader* block) {
    if (!block)
        return;
    if (block->bytesUsed == 0) {
        freeBlock_.Set();
        return;
    }
    // Counts the block in under the ring lock; false for a block that is not the one handed out.
    const auto take = [this, block] {
        if (!open_ || block != &blocks_[writeIndex_] || block->bytesUsed > block->bufferLength)
            return false;
        block->bytesUsed -= block->bytesUsed % static_cast<uint32_t>(blockAlign_); // whole frames
        if (block->bytesUsed == 0) {
            freeBlock_.Set();
            return false;
        }
        FadeIn(block);
        if (++queuedBlocks_ == blockCount_)
            freeBlock_.Reset();
        writeIndex_ = (writeIndex_ + 1) % blockCount_;
        samplesWritten_ += block->bytesUsed / static_cast<uint32_t>(blockAlign_);
        return true;
    };
    if (alwaysOpen_) {
        CriticalSection::Lock ringLock(ringLock_);
        take();
        return;
    }
    CriticalSection::Lock deviceLock(deviceLock_);
    if (!device_)
        return;
    {
        CriticalSection::Lock ringLock(ringLock_);
        if (!take())
            return;
    }
    if (device_->Write(block) != WaveOut::kOk) {
        // The device refused it: the block is free again.
        CriticalSection::Lock ringLock(ringLock_);
        --queuedBlocks_;
        writeIndex_ = (writeIndex_ + blockCount_ - 1) % blockCount_;
        samplesWritten_ -= block->bytesUsed / static_cast<uint32_t>(blockAlign_);
        freeBlock_.Set();
    }
}

void OutputDevice::Pause(bool pause) {
    if (alwaysOpen_) {
        paused_ = pause;
        return;
    }
    CriticalSection::Lock deviceLock(deviceLock_);
    if (device_) {
        if (pause)
            device_->Pause();
        else
            device_->Restart();
    }
}

void OutputDevice::Reset() {
    if (alwaysOpen_) {
        CriticalSection::Lock ringLock(ringLock_);
        feederWake_.Set();
        paused_ = true;
        samplesWritten_ = 0;
        writeIndex_ = queuedBlocks_ = readIndex_ = 0;
        samplesMoved_ = 0;
        for (WaveHeader& block : blocks_)
            block.user = 0;
        ArmFadeIn();
    } else {
        CriticalSection::Lock deviceLock(deviceLock_);
        if (device_) {
            device_->Pause();
            device_->Reset(); // every queued block comes back through the callback
        }
        {
            CriticalSection::Lock ringLock(ringLock_);
            samplesWritten_ = 0;
            writeIndex_ = queuedBlocks_ = 0;
            ArmFadeIn();
        }
        if (device_)
            device_->Pause(); // it stays paused until the prebuffer is full again
    }
    freeBlock_.Set(); // releases a thread waiting for a free block
    ClearLevels();
}

uint64_t OutputDevice::SamplesPlayed() {
    if (!open_)
        return 0;
    if (alwaysOpen_)
        return samplesMoved_;
    CriticalSection::Lock deviceLock(deviceLock_);
    return device_ ? device_->Position() : 0;
}

uint64_t OutputDevice::SamplesWritten() const {
    return samplesWritten_;
}

bool OutputDevice::Drained() {
    return SamplesPlayed() >= SamplesWritten();
}

uint64_t OutputDevice::QueuedSamples() {
    const uint64_t played = SamplesPlayed(), written = SamplesWritten();
    return written > played ? written - played : 0;
}

bool OutputDevice::AllBlocksQueued() const {
    CriticalSection::Lock ringLock(ringLock_);
    return open_ && queuedBlocks_ == blockCount_;
}

void OutputDevice::GetBufferInfo(uint32_t& totalBytes, uint32_t& queuedBytes) const {
    CriticalSection::Lock ringLock(ringLock_);
    totalBytes = blockSize_ * static_cast<uint32_t>(blockCount_);
    queuedBytes = blockSize_ * static_cast<uint32_t>(std::max(queuedBlocks_, 0));
}

uint32_t OutputDevice::BlockSize() const {
    CriticalSection::Lock ringLock(ringLock_);
    return blockSize_;
}

int OutputDevice::BlockAlign() const {
    CriticalSection::Lock ringLock(ringLock_);
    return blockAlign_;
}

void OutputDevice::SetMeasuring(bool on) {
    measuring_ = on;
}

bool OutputDevice::Measuring() const {
    return measuring_;
}

void OutputDevice::GetLevels(int& left, int& right) const {
    left = levelLeft_;
    right = levelRight_;
}

void OutputDevice::ClearLevels() {
    levelLeft_ = 0;
    levelRight_ = 0;
}

void OutputDevice::CancelFadeIn() {
    CriticalSection::Lock ringLock(ringLock_);
    fadeFrames_ = 0;
}

void OutputDevice::StopFeeder() {
    if (!feeder_.IsRunning())
        return;
    feederQuit_ = true;
    feederWake_.Set();
    feeder_.Wait();
    feederQuit_ = false;
}

void OutputDevice::FeederMain() {
    for (;;) {
        feederWake_.Wait();
        if (feederQuit_)
            break;
        // Only the feeder takes device buffers, so a count above 0 stays so until it takes one.
        // A wake-up without a free buffer (a reset) only goes back to waiting.
        const bool free = Interlocked::Read(freeDeviceBuffers_) > 0;
        if (!free || Interlocked::Decrement(freeDeviceBuffers_) == 0) {
            feederWake_.Reset();
            // A buffer that came back between the count and the reset must not be missed.
            if (Interlocked::Read(freeDeviceBuffers_) > 0 || feederQuit_)
                feederWake_.Set();
        }
        if (!free)
            continue;
        FillDeviceBuffer(nextDeviceBuffer_);
        nextDeviceBuffer_ = (nextDeviceBuffer_ + 1) % kDeviceBuffers;
    }
}

void OutputDevice::FillDeviceBuffer(int index) {
    CriticalSection::Lock deviceLock(deviceLock_);
    if (!device_)
        return;
    WaveHeader& buffer = deviceBuffers_[index];
    const uint32_t length = buffer.bufferLength;
    uint32_t used = 0;
    while (used < length) {
        CriticalSection::Lock ringLock(ringLock_);
        if (queuedBlocks_ == 0 || paused_) {
            if (silent_[index]) {
                used = length; // it still holds the silence it played last time
                break;
            }
            if (used == 0)
                silent_[index] = true;
            std::memset(buffer.data + used, 0, length - used);
            used = length;
            break;
        }
        WaveHeader& block = blocks_[readIndex_];
        const uint32_t offset = static_cast<uint32_t>(block.user);
        const uint32_t count = std::min(length - used, block.bytesUsed - offset);
        std::memcpy(buffer.data + used, block.data + offset, count);
        used += count;
        block.user = offset + count;
        silent_[index] = false;
        samplesMoved_ += count / static_cast<uint32_t>(blockAlign_);
        if (block.user >= block.bytesUsed) {
            block.user = 0;
            --queuedBlocks_;
            readIndex_ = (readIndex_ + 1) % blockCount_;
            freeBlock_.Set();
        }
    }
    buffer.bytesUsed = used;
    device_->Write(&buffer);
}

void OutputDevice::DirectDone(WaveHeader* block) {
    if (measuring_)
        MeasurePeaks(block);
    CriticalSection::Lock ringLock(ringLock_);
    freeBlock_.Set();
    --queuedBlocks_;
}

void OutputDevice::AlwaysOpenDone(WaveHeader* buffer) {
    if (measuring_)
        MeasurePeaks(buffer);
    Interlocked::Increment(freeDeviceBuffers_);
    feederWake_.Set();
}

void OutputDevice::ArmFadeIn() {
    if (!fadeIn_ || format_.rate <= 0) {
        fadeFrames_ = 0;
        return;
    }
    const int32_t frames = std::max<int32_t>(
        1, static_cast<int32_t>(static_cast<int64_t>(format_.rate) * kFadeMs / 1000));
    fadeStep_ = 1 + 65536 / frames;
    fadeGain_ = 0;
    fadeFrames_ = frames;
}

void OutputDevice::FadeIn(WaveHeader* block) {
    if (fadeFrames_ <= 0)
        return;
    const int channels = format_.channels;
    const size_t frames = block->bytesUsed / static_cast<uint32_t>(blockAlign_);
    uint8_t* at = block->data;
    for (size_t frame = 0; frame < frames && fadeFrames_ > 0; ++frame) {
        for (int channel = 0; channel < channels; ++channel) {
            if (format_.bits == 8) {
                *at = static_cast<uint8_t>(((fadeGain_ * (*at - 128)) >> 16) + 128);
                at += 1;
            } else {
                Store16(at, (fadeGain_ * Sample16(at)) >> 16);
                at += 2;
            }
        }
        --fadeFrames_;
        fadeGain_ += fadeStep_;
        if (fadeGain_ > 0xFFFF)
            fadeFrames_ = 0;
    }
}

void OutputDevice::MeasurePeaks(const WaveHeader* block) {
    const int channels = format_.channels;
    int left = 0, right = 0;
    if (format_.bits == 8) {
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
    levelLeft_ = left;
    levelRight_ = channels == 1 ? left : right;
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
        CriticalSection::Lock deviceLock(output->deviceLock_);
        if (output->device_)
            output->device_->SetVolume(volume);
    }
}

uint32_t OutputDevice::GetVolume() {
    std::lock_guard lock(devicesMutex);
    for (OutputDevice* output : devices) {
        CriticalSection::Lock deviceLock(output->deviceLock_);
        uint32_t volume = 0;
        if (output->device_ && output->device_->GetVolume(volume) == WaveOut::kOk)
            return volume;
    }
    return globalVolume;
}
