// Puts the input in a memory file and runs the MPEG probe over it; when the probe accepts it,
// opens it the way the engine does (with and without counting every frame). The probe must
// leave the file position where it was.
#include "engine/core/FileReader.h"
#include "engine/decoders/MpegFile.h"
#include "fuzz/MemoryFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = MemoryFile(data, size);

    FileReader file;
    if (!file.Open(std::u16string(path.begin(), path.end())))
        std::abort();
    const int64_t position = static_cast<int64_t>(size / 2);
    if (!file.Seek(position))
        std::abort();
    const bool accepted = MpegFile::Probe(file);
    if (file.Tell() != position)
        __builtin_trap();
    if (accepted) {
        MpegFile quick;
        quick.Open(file, false);
        MpegFile scanned;
        scanned.Open(file, true);
    }
    return 0;
}
