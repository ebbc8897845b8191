#include "platform/WaveOut.h"

#include "platform/AlsaWaveOut.h"
#include "platform/NullWaveOut.h"
#include "platform/WavFileWaveOut.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

using Backend = WaveOut::Choice;

WaveOut::Choice WaveOut::Chosen() {
    Backend backend;
    const char* value = std::getenv("SONVALE_AUDIO");
    backend.setting = value ? value : "";
    const std::string& setting = backend.setting;
    constexpr std::string_view kWavPrefix = "wav:", kFastSuffix = ",fast";
    if (setting.empty() || setting == "alsa") {
        backend.kind = Backend::kAlsa;
    } else if (setting == "null") {
        backend.kind = Backend::kNull;
    } else if (setting.starts_with(kWavPrefix)) {
        backend.path = setting.substr(kWavPrefix.size());
        if (backend.path.ends_with(kFastSuffix)) {
            backend.path.resize(backend.path.size() - kFastSuffix.size());
            backend.fast = true;
        }
        if (!backend.path.empty())
            backend.kind = Backend::kWav;
    }
    return backend;
}

namespace {

std::once_flag fallbackSaid, noBackendSaid;

} // namespace

WaveOut::~WaveOut() = default;

std::unique_ptr<WaveOut> WaveOut::Create() {
    const Backend backend = Chosen();
    switch (backend.kind) {
    case Backend::kAlsa:
        if (AlsaWaveOut::DeviceExists())
            return std::make_unique<AlsaWaveOut>();
        std::call_once(fallbackSaid, [] {
            std::fputs("sonvale: no ALSA playback device could be opened; playing to the null "
                       "output\n",
                       stderr);
        });
        return std::make_unique<NullWaveOut>();
    case Backend::kNull:
        return std::make_unique<NullWaveOut>();
    case Backend::kWav:
        return std::make_unique<WavFileWaveOut>(backend.path, backend.fast);
    case Backend::kNone:
        break;
    }
    std::call_once(noBackendSaid, [&] {
        std::fprintf(stderr,
                     "sonvale: SONVALE_AUDIO=\"%s\" names no audio output (use alsa, null or "
                     "wav:PATH[,fast])\n",
                     backend.setting.c_str());
    });
    return nullptr;
}

bool WaveOut::DevicePresent() {
    return Chosen().kind != Backend::kNone;
}

bool WaveOut::ValidFormat(const Format& format) {
    return format.channels >= 1 && format.channels <= 8 && format.rate >= 1 &&
           format.rate <= 768000 && (format.bits == 8 || format.bits == 16);
}

int WaveOut::AcceptBlock(WaveHeader* block) {
    if (!block || block->bytesUsed > block->bufferLength || (!block->data && block->bytesUsed > 0))
        return kInvalidParam;
    if (block->flags & WHDR_INQUEUE)
        return kError;
    block->flags = (block->flags & ~WHDR_DONE) | WHDR_INQUEUE;
    block->next = nullptr;
    return kOk;
}

void WaveOut::MarkDone(WaveHeader* block) {
    block->next = nullptr;
    block->flags = (block->flags & ~WHDR_INQUEUE) | WHDR_DONE;
}

void WaveOut::ApplyVolume(uint32_t volume, const Format& format, const uint8_t* in, uint8_t* out,
                          size_t frames) {
    const size_t bytes = frames * static_cast<size_t>(FrameBytes(format));
    if (volume == kUnityVolume) {
        if (in != out)
            std::memmove(out, in, bytes);
        return;
    }
    // 16.16 gains per channel: 0xFFFF maps to exactly 1.0, 0 to silence.
    const auto gainOf = [](uint32_t half) { return static_cast<int32_t>(half + (half >> 15)); };
    const int32_t left = gainOf(volume & 0xFFFF), right = gainOf(volume >> 16);
    const int channels = format.channels;
    size_t channel = 0;
    if (format.bits == 8) {
        for (size_t i = 0; i < bytes; ++i) {
            const int32_t gain = channels == 1 || channel % 2 == 0 ? left : right;
            out[i] = static_cast<uint8_t>((((in[i] - 128) * gain) >> 16) + 128);
            channel = channel + 1 == static_cast<size_t>(channels) ? 0 : channel + 1;
        }
        return;
    }
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        const int32_t gain = channels == 1 || channel % 2 == 0 ? left : right;
        int16_t sample;
        std::memcpy(&sample, in + i, 2);
        sample = static_cast<int16_t>((sample * gain) >> 16);
        std::memcpy(out + i, &sample, 2);
        channel = channel + 1 == static_cast<size_t>(channels) ? 0 : channel + 1;
    }
}
