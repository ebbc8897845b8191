#include "playback/SpokenTimePlayer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace {

// How long a sound may take beyond its own length before the device counts as stuck.
constexpr uint64_t kStallMarginMs = 2000;

uint32_t Get16(const uint8_t* at) {
    return at[0] | static_cast<uint32_t>(at[1]) << 8;
}

uint32_t Get32(const uint8_t* at) {
    return Get16(at) | Get16(at + 2) << 16;
}

} // namespace

SpokenTimePlayer::SpokenTimePlayer(SoundSource source) : m_source(std::move(source)) {}

int SpokenTimePlayer::Play(const std::vector<uint32_t>& ids) {
    Event done;
    std::unique_ptr<WaveOut> device = WaveOut::Create();
    if (!device)
        return 0;
    bool open = false;
    WaveOut::Format openFormat;
    int played = 0;
    for (const uint32_t id : ids) {
        const std::string file = m_source ? m_source(id) : std::string();
        Sound sound;
        if (!ParseWav(file, sound))
            continue;
        const WaveOut::Format& format = sound.format;
        if (open && (format.channels != openFormat.channels || format.rate != openFormat.rate ||
                     format.bits != openFormat.bits)) {
            device->Close();
            open = false;
        }
        if (!open) {
            if (device->Open(format, [&done](WaveHeader*) { done.Set(); }) != WaveOut::kOk)
                continue;
            open = true;
            openFormat = format;
        }
        if (PlaySound(*device, sound, done))
            ++played;
    }
    if (open)
        device->Close();
    return played;
}

bool SpokenTimePlayer::PlaySound(WaveOut& device, const Sound& sound, Event& done) {
    if (sound.bytes == 0)
        return true;
    // The device only reads a block's data; the header wants it writable all the same.
    WaveHeader block;
    block.data = const_cast<uint8_t*>(sound.data);
    block.bufferLength = static_cast<uint32_t>(sound.bytes);
    block.bytesUsed = block.bufferLength;
    done.Reset();
    if (device.Write(&block) != WaveOut::kOk)
        return false;
    const uint64_t frameBytes =
        static_cast<uint64_t>(sound.format.channels * sound.format.bits / 8);
    const uint64_t lengthMs = sound.bytes / frameBytes * 1000 / sound.format.rate;
    if (done.Wait(static_cast<uint32_t>(lengthMs + kStallMarginMs)))
        return true;
    // The device stopped taking samples: take the block back before it goes out of scope.
    device.Reset();
    return false;
}

bool SpokenTimePlayer::ParseWav(const std::string& file, Sound& sound) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
    const size_t size = file.size();
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return false;
    bool haveFormat = false;
    size_t pos = 12;
    while (size - pos >= 8) {
        const uint8_t* chunk = bytes + pos;
        const uint64_t chunkSize = Get32(chunk + 4);
        pos += 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (chunkSize < 16 || size - pos < 16)
                return false;
            const uint8_t* fmt = bytes + pos;
            if (Get16(fmt) != 1) // PCM only
                return false;
            sound.format.channels = static_cast<int>(Get16(fmt + 2));
            sound.format.rate = static_cast<int>(Get32(fmt + 4));
            sound.format.bits = static_cast<int>(Get16(fmt + 14));
            if ((sound.format.bits != 8 && sound.format.bits != 16) || sound.format.channels < 1 ||
                sound.format.channels > 8 || sound.format.rate < 1 || sound.format.rate > 768000)
                return false;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return false;
            // A data chunk cut short by the end of the file plays what is there, in whole frames.
            const size_t frameBytes =
                static_cast<size_t>(sound.format.channels * sound.format.bits / 8);
            const size_t available = std::min<uint64_t>(chunkSize, size - pos);
            sound.data = bytes + pos;
            sound.bytes = available - available % frameBytes;
            return true;
        }
        if (chunkSize + (chunkSize & 1) > size - pos)
            return false;
        pos += static_cast<size_t>(chunkSize + (chunkSize & 1));
    }
    return false;
}
