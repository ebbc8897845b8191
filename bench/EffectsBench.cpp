// Cost of each sound effect on one output block: 16384 bytes of 44100 Hz stereo 16-bit PCM.
#include "engine/effects/BassBoostEffect.h"
#include "engine/effects/Chorus3DEffect.h"
#include "engine/effects/EchoReverbEffect.h"
#include "engine/effects/SurroundEffect.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr size_t kBlockBytes = 16384;

// A 220 Hz tone on the left and 330 Hz on the right, at about half scale.
std::vector<uint8_t> MakeBlock() {
    std::vector<uint8_t> block(kBlockBytes);
    for (size_t frame = 0; frame < kBlockBytes / 4; ++frame) {
        const double t = static_cast<double>(frame) / kRate;
        const auto left = static_cast<int16_t>(16000 * std::sin(2 * std::numbers::pi * 220 * t));
        const auto right = static_cast<int16_t>(16000 * std::sin(2 * std::numbers::pi * 330 * t));
        std::memcpy(&block[frame * 4], &left, 2);
        std::memcpy(&block[frame * 4 + 2], &right, 2);
    }
    return block;
}

// Each iteration copies a fresh block and runs the effect on it in place.
template <typename Effect> void RunBlocks(benchmark::State& state, Effect& effect) {
    const std::vector<uint8_t> source = MakeBlock();
    std::vector<uint8_t> block(source.size());
    for (auto _ : state) {
        std::memcpy(block.data(), source.data(), block.size());
        effect.Process(16, block.data(), block.size());
        benchmark::DoNotOptimize(block.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBlockBytes);
}

void BM_Surround(benchmark::State& state) {
    SurroundEffect surround;
    surround.SetParams({1, 0, 20});
    surround.Prepare(kChannels, kRate);
    RunBlocks(state, surround);
}
BENCHMARK(BM_Surround);

void BM_Chorus3D(benchmark::State& state) {
    Chorus3DEffect chorus;
    chorus.SetParams({1, 0, 20});
    chorus.Prepare(kChannels, kRate);
    RunBlocks(state, chorus);
}
BENCHMARK(BM_Chorus3D);

void BM_BassBoost(benchmark::State& state) {
    BassBoostEffect bass;
    bass.SetLevel(20);
    bass.Prepare(kChannels, kRate);
    RunBlocks(state, bass);
}
BENCHMARK(BM_BassBoost);

void BM_Echo(benchmark::State& state) {
    EchoReverbEffect echo(EchoReverbEffect::Echo);
    echo.SetParams({1, 100, 20});
    echo.Prepare(kChannels, kRate);
    RunBlocks(state, echo);
}
BENCHMARK(BM_Echo);

void BM_Reverb(benchmark::State& state) {
    EchoReverbEffect reverb(EchoReverbEffect::Reverb);
    reverb.SetParams({1, 100, 20});
    reverb.Prepare(kChannels, kRate);
    RunBlocks(state, reverb);
}
BENCHMARK(BM_Reverb);

} // namespace
