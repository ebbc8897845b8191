// A decoder plug-in for Sun/NeXT audio files (".au"): 8- and 16-bit linear PCM and mu-law, with
// seeking and the header's annotation as the title, and the same data as a stream. Built with the
// tests to exercise the plug-in interface end to end.

#include "engine/plugins/DecoderPlugin.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kMagic = 0x2e736e64; // ".snd"
constexpr uint32_t kMuLaw = 1, kLinear8 = 2, kLinear16 = 3;

struct AuFile {
    std::FILE* file = nullptr;
    uint32_t dataOffset = 0;
    uint32_t dataSize = 0;
    uint32_t encoding = 0;
    uint32_t rate = 0;
    uint32_t channels = 0;
    uint32_t position = 0; // bytes of data read
    std::string annotation;
    int BytesPerSample() const { return encoding == kLinear16 ? 2 : 1; }
    int OutputBits() const { return encoding == kLinear8 ? 8 : 16; }
    uint32_t FrameBytes() const { return channels * static_cast<uint32_t>(BytesPerSample()); }
};

AuFile open; // the file being decoded

// The stream being decoded: the header fields, the header bytes still to skip and the data bytes
// still to come (0xFFFFFFFF: unknown).
struct AuStream {
    bool open = false;
    uint32_t encoding = 0;
    uint32_t channels = 0;
    uint32_t skip = 0;
    uint32_t remaining = 0;
    int BytesPerSample() const { return encoding == kLinear16 ? 2 : 1; }
    int OutputBits() const { return encoding == kLinear8 ? 8 : 16; }
    uint32_t FrameBytes() const { return channels * static_cast<uint32_t>(BytesPerSample()); }
};

AuStream stream;

uint32_t BigEndian(const unsigned char* b) {
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
}

std::string Narrow(const char16_t* path) {
    std::string out;
    for (; path && *path; ++path) {
        const char32_t c = *path;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Reads and checks the header; the file stays open at the data.
bool ReadHeader(const char16_t* path, AuFile& au) {
    au = AuFile();
    au.file = std::fopen(Narrow(path).c_str(), "rb");
    if (!au.file)
        return false;
    unsigned char h[24];
    bool ok = std::fread(h, 1, 24, au.file) == 24 && BigEndian(h) == kMagic;
    if (ok) {
        au.dataOffset = BigEndian(h + 4);
        au.dataSize = BigEndian(h + 8);
        au.encoding = BigEndian(h + 12);
        au.rate = BigEndian(h + 16);
        au.channels = BigEndian(h + 20);
        ok = au.dataOffset >= 24 && au.dataOffset < 1 << 20 && au.rate > 0 && au.rate <= 192000 &&
             au.channels >= 1 && au.channels <= 8 &&
             (au.encoding == kMuLaw || au.encoding == kLinear8 || au.encoding == kLinear16);
    }
    if (ok) {
        std::string text(au.dataOffset - 24, '\0');
        ok = std::fread(text.data(), 1, text.size(), au.file) == text.size();
        au.annotation = text.substr(0, text.find('\0'));
        std::fseek(au.file, 0, SEEK_END);
        const long size = std::ftell(au.file);
        const uint32_t present = size > long(au.dataOffset) ? uint32_t(size - au.dataOffset) : 0;
        if (au.dataSize == 0xFFFFFFFF || au.dataSize > present)
            au.dataSize = present;
        au.dataSize -= au.dataSize % au.FrameBytes();
        ok = ok && std::fseek(au.file, au.dataOffset, SEEK_SET) == 0;
    }
    if (!ok) {
        std::fclose(au.file);
        au.file = nullptr;
    }
    return ok;
}

void Close(AuFile& au) {
    if (au.file)
        std::fclose(au.file);
    au.file = nullptr;
}

int16_t MuLaw(unsigned char u) {
    u = static_cast<unsigned char>(~u);
    const int exponent = (u >> 4) & 7, mantissa = u & 15;
    const int magnitude = ((mantissa << 3) + 0x84) << exponent;
    return static_cast<int16_t>((u & 0x80) ? 0x84 - magnitude : magnitude - 0x84);
}

void CopyText(char16_t* out, const std::string& text, size_t room) {
    size_t n = 0;
    for (; n + 1 < room && n < text.size(); ++n)
        out[n] = static_cast<unsigned char>(text[n]);
    out[n] = 0;
}

void Init(int32_t) {}
void Quit() {
    Close(open);
}
uint32_t Caps() {
    return DECODER_PLUGIN_FILES | DECODER_PLUGIN_STREAMS | DECODER_PLUGIN_SEEK |
           DECODER_PLUGIN_TAGS;
}
void Name(char16_t* text) {
    CopyText(text, "Sun/NeXT audio", DECODER_PLUGIN_TEXT);
}
void SetEq(const DecoderPluginEqualizer*) {}
void Config(void*) {}
int32_t ExtCount() {
    return 1;
}

int32_t Ext(int32_t index, char16_t* extension, char16_t* description) {
    if (index != 0)
        return 0;
    CopyText(extension, "au", DECODER_PLUGIN_TEXT);
    CopyText(description, "Sun/NeXT audio (*.au)", DECODER_PLUGIN_TEXT);
    return 1;
}

int32_t CheckFile(const char16_t* path) {
    AuFile au;
    const bool ok = ReadHeader(path, au);
    Close(au);
    return ok;
}

int32_t OpenFile(const char16_t* path, DecoderPluginFileInfo* info) {
    Close(open);
    if (!ReadHeader(path, open))
        return 0;
    info->channels = static_cast<int32_t>(open.channels);
    info->sampleRate = static_cast<int32_t>(open.rate);
    info->bitsPerSample = open.OutputBits();
    info->bitrate = static_cast<int32_t>(open.rate * open.FrameBytes() * 8 / 1000);
    info->duration =
        static_cast<int32_t>(uint64_t(open.dataSize / open.FrameBytes()) * 1000 / open.rate);
    return 1;
}

int32_t Seek(int32_t ms) {
    if (!open.file || ms < 0)
        return -1;
    const uint64_t frame = uint64_t(ms) * open.rate / 1000;
    const uint64_t offset = frame * open.FrameBytes();
    if (offset >= open.dataSize || std::fseek(open.file, long(open.dataOffset + offset), SEEK_SET))
        return -1;
    open.position = static_cast<uint32_t>(offset);
    return static_cast<int32_t>(frame * 1000 / open.rate);
}

int32_t Begin() {
    return open.file != nullptr;
}

// Converts `samples` samples of the encoding to the output PCM.
void Convert(uint32_t encoding, const unsigned char* in, size_t samples, uint8_t* out) {
    for (size_t i = 0; i < samples; ++i) {
        if (encoding == kLinear8) {
            out[i] = static_cast<uint8_t>(in[i] ^ 0x80); // signed to unsigned
            continue;
        }
        const int16_t s = encoding == kMuLaw ? MuLaw(in[i])
                                             : static_cast<int16_t>(in[2 * i] << 8 | in[2 * i + 1]);
        std::memcpy(out + 2 * i, &s, 2);
    }
}

int32_t Decode(DecoderPluginBlock* block) {
    if (!open.file)
        return DECODER_PLUGIN_ERROR;
    const uint32_t outFrame = open.channels * uint32_t(open.OutputBits() / 8);
    uint32_t frames = std::min(block->bufferLength / outFrame,
                               (open.dataSize - open.position) / open.FrameBytes());
    unsigned char in[4096];
    frames = std::min<uint32_t>(frames, sizeof in / open.FrameBytes());
    const size_t got = std::fread(in, open.FrameBytes(), frames, open.file);
    Convert(open.encoding, in, got * open.channels, block->data);
    block->bytesUsed = static_cast<uint32_t>(got * outFrame);
    open.position += static_cast<uint32_t>(got * open.FrameBytes());
    return open.position >= open.dataSize || got == 0 ? DECODER_PLUGIN_LAST : DECODER_PLUGIN_MORE;
}

void End() {
    if (open.file)
        std::fseek(open.file, long(open.dataOffset), SEEK_SET);
    open.position = 0;
}

void CloseFile() {
    Close(open);
}

int32_t FileTag(const char16_t* path, DecoderPluginTag* tag) {
    AuFile au;
    const bool ok = ReadHeader(path, au) && !au.annotation.empty();
    if (ok)
        CopyText(tag->title, au.annotation, 255);
    Close(au);
    return ok;
}

int32_t Tag(DecoderPluginTag* tag) {
    if (!open.file || open.annotation.empty())
        return 0;
    CopyText(tag->title, open.annotation, 255);
    return 1;
}

// The header must be in the first chunk; the annotation after it may reach into later ones.
int32_t OpenStream(const uint8_t* data, int32_t length, DecoderPluginStreamInfo* info) {
    stream = AuStream();
    if (length < 24 || BigEndian(data) != kMagic)
        return 0;
    AuStream au;
    au.skip = BigEndian(data + 4);
    au.remaining = BigEndian(data + 8);
    au.encoding = BigEndian(data + 12);
    const uint32_t rate = BigEndian(data + 16);
    au.channels = BigEndian(data + 20);
    if (au.skip < 24 || au.skip >= 1 << 20 || rate == 0 || rate > 192000 || au.channels < 1 ||
        au.channels > 8 ||
        (au.encoding != kMuLaw && au.encoding != kLinear8 && au.encoding != kLinear16))
        return 0;
    au.open = true;
    stream = au;
    info->channels = static_cast<int32_t>(au.channels);
    info->sampleRate = static_cast<int32_t>(rate);
    info->bitsPerSample = au.OutputBits();
    info->bitrate = static_cast<int32_t>(rate * au.FrameBytes() * 8 / 1000);
    return 1;
}

// Skips what is left of the header, then converts the whole frames that fit the block.
int32_t DecodeStream(const uint8_t* data, int32_t length, int32_t* consumed,
                     DecoderPluginBlock* block) {
    *consumed = 0;
    block->bytesUsed = 0;
    if (!stream.open || length < 0)
        return DECODER_PLUGIN_ERROR;
    uint32_t left = static_cast<uint32_t>(length);
    const uint32_t skipped = std::min(stream.skip, left);
    stream.skip -= skipped;
    left -= skipped;
    const uint32_t outFrame = stream.channels * uint32_t(stream.OutputBits() / 8);
    uint32_t frames = std::min(left / stream.FrameBytes(), block->bufferLength / outFrame);
    if (stream.remaining != 0xFFFFFFFF)
        frames = std::min(frames, stream.remaining / stream.FrameBytes());
    Convert(stream.encoding, data + skipped, size_t{frames} * stream.channels, block->data);
    const uint32_t used = frames * stream.FrameBytes();
    if (stream.remaining != 0xFFFFFFFF)
        stream.remaining -= used;
    block->bytesUsed = frames * outFrame;
    *consumed = static_cast<int32_t>(skipped + used);
    return stream.remaining < stream.FrameBytes() ? DECODER_PLUGIN_LAST : DECODER_PLUGIN_MORE;
}

void CloseStream() {
    stream = AuStream();
}

const DecoderPlugin kTable = {DECODER_PLUGIN_VERSION,
                              DECODER_PLUGIN_LEVEL,
                              0,
                              Init,
                              Quit,
                              Caps,
                              Name,
                              SetEq,
                              Config,
                              ExtCount,
                              Ext,
                              CheckFile,
                              OpenFile,
                              Seek,
                              Begin,
                              Decode,
                              End,
                              CloseFile,
                              Tag,
                              FileTag,
                              OpenStream,
                              DecodeStream,
                              CloseStream};

} // namespace

extern "C" __attribute__((visibility("default"))) const DecoderPlugin* GetDecoderPlugin() {
#ifdef AU_PLUGIN_VERSION
    // A build of the same table under another interface version, which the player must refuse.
    static DecoderPlugin other = kTable;
    other.version = AU_PLUGIN_VERSION;
    return &other;
#else
    return &kTable;
#endif
}
