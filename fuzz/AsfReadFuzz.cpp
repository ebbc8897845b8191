// Puts the input in a memory file and reads it as an ASF file the way the WMA plug-in does: the
// header, the data object and the index after it, then every packet the input holds, split into
// payloads that must lie inside their packet.
#include "engine/core/FileReader.h"
#include "engine/decoders/AsfFile.h"
#include "engine/decoders/AsfPacket.h"
#include "fuzz/MemoryFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = MemoryFile(data, size);
    FileReader file;
    if (!file.Open(std::u16string(path.begin(), path.end())))
        std::abort();
    AsfFile asf;
    if (!AsfFile::Read(file, asf))
        return 0;
    if (asf.dataOffset < 0 || asf.headerSize > size || asf.audioStream > 127 ||
        (asf.indexInterval == 0) != asf.index.empty())
        __builtin_trap();
    for (const char16_t* text : {asf.tag.title, asf.tag.artist, asf.tag.album, asf.tag.genre})
        if (std::char_traits<char16_t>::length(text) >= kTagTextLength)
            __builtin_trap();
    asf.DurationMs();
    if (asf.maxPacketSize == 0 || asf.maxPacketSize > (1u << 20))
        return 0;

    std::vector<uint8_t> bytes(asf.maxPacketSize);
    for (uint64_t i = 0; i < asf.packetCount && i < 4096; ++i) {
        size_t got = 0;
        if (!file.Seek(asf.PacketOffset(i)) || !file.Read(bytes.data(), bytes.size(), got) ||
            got == 0)
            break;
        AsfPacket packet;
        const bool parsed = packet.Parse(bytes.data(), got, asf.maxPacketSize);
        if (parsed && (packet.packetLength > got || packet.padding > packet.packetLength))
            __builtin_trap();
        for (const AsfPacket::Payload& p : packet.payloads)
            if (p.data < bytes.data() || p.data + p.size > bytes.data() + got)
                __builtin_trap();
    }
    return 0;
}
