// Puts the input in a memory file and runs the MPEG probe over it; when the probe accepts it,
// opens it the way the engine does (with and without counting every frame). The probe must
// leave the file position where it was.
#include "engine/core/FileReader.h"
#include "engine/decoders/MpegFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// One memory file for the whole run, opened again by path for every input.
int MemoryFile() {
    static const int fd = ::memfd_create("mpeg-probe-fuzz", MFD_CLOEXEC);
    if (fd < 0)
        std::abort();
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = MemoryFile();
    if (::ftruncate(fd, 0) != 0 ||
        (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)))
        std::abort();
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

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
