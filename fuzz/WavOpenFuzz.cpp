// Puts the input in a memory file and opens it as a WAV file the way the engine does: the probe
// (which must leave the file position where it was), the open, decoding to the end in rounds of
// changing sizes, then a seek back to the start, after which decoding gives the same PCM again.
#include "engine/core/FileReader.h"
#include "engine/decoders/WavReader.h"
#include "fuzz/MemoryFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Decodes to the end (at most `limit` bytes) in rounds of 1 to 8192 bytes.
std::string DecodeAll(WavReader& wav, FileReader& file, size_t limit) {
    static const size_t kRounds[] = {8192, 1, 4095, 333, 2048, 7};
    std::vector<uint8_t> block(8192);
    std::string out;
    for (size_t round = 0; out.size() < limit; ++round) {
        const size_t space = kRounds[round % 6];
        const long got = wav.Decode(file, block.data(), space);
        const size_t frame = static_cast<size_t>(wav.OutputFormat().blockAlign);
        if (got < 0 && space < frame)
            continue; // a round too small for one sample frame is refused
        if (got <= 0)
            break; // the end, or a read or conversion error
        if (static_cast<size_t>(got) > space || static_cast<size_t>(got) % frame != 0)
            __builtin_trap();
        out.append(reinterpret_cast<const char*>(block.data()), static_cast<size_t>(got));
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = MemoryFile(data, size);

    FileReader file;
    if (!file.Open(std::u16string(path.begin(), path.end())))
        std::abort();
    const int64_t position = static_cast<int64_t>(size / 2);
    if (!file.Seek(position))
        std::abort();
    WavReader::Probe(file);
    if (file.Tell() != position)
        __builtin_trap();

    WavReader wav;
    if (!wav.Open(file))
        return 0;
    if (wav.Channels() < 1 || wav.Channels() > 8 || (wav.Bits() != 8 && wav.Bits() != 16) ||
        wav.Rate() < 1 || wav.TotalSamples() < 0 ||
        wav.DataStart() + wav.DataBytes() > int64_t(size))
        __builtin_trap();
    const size_t limit = 4u << 20;
    const std::string first = DecodeAll(wav, file, limit);
    int64_t sample = -1;
    if (!wav.Seek(file, 0, sample) || sample != 0)
        __builtin_trap();
    if (first.size() < limit && DecodeAll(wav, file, limit) != first)
        __builtin_trap();
    return 0;
}
