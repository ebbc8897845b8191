// Puts the input in a memory file and opens it as an Ogg Vorbis file the way the engine does:
// the probe, the open (which looks at every link of a chain first), some decoding, a seek into
// the file and one far past its end, and decoding again from the start.
#include "engine/decoders/OggFile.h"
#include "fuzz/MemoryFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Decodes at most `blocks` blocks; false on a decoding error.
bool Decode(OggFile& ogg, int blocks) {
    uint8_t block[4096];
    for (int i = 0; i < blocks; ++i) {
        const long got = ogg.Read(block, sizeof block);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (got > long(sizeof block) || got % (2 * ogg.Channels()) != 0)
            __builtin_trap();
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = MemoryFile(data, size);
    const std::u16string path16(path.begin(), path.end());

    OggFile::Probe(path16);
    OggFile ogg;
    if (!ogg.Open(path16))
        return 0;
    if (ogg.Channels() < 1 || ogg.Rate() < 1 || ogg.TotalSamples() <= 0)
        __builtin_trap();
    Decode(ogg, 16);
    int64_t sample = -1;
    if (ogg.Seek(1000, sample) && sample < 0)
        __builtin_trap();
    ogg.Seek(INT64_MAX, sample);
    if (ogg.Seek(0, sample))
        Decode(ogg, 16);
    ogg.Comments();
    return 0;
}
