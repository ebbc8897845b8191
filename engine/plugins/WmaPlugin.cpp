#include "engine/plugins/WmaPlugin.h"

#include "engine/core/FileReader.h"
#include "engine/decoders/AsfFile.h"
#include "engine/decoders/AsfPacket.h"
#include "platform/WmaDecoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct WmaState {
    FileReader file;
    AsfFile asf;
    WmaDecoder decoder;
    uint64_t packets = 0; // packets present in the file
    std::vector<uint8_t> packetBytes;
    AsfPacket packet;
    size_t payload = 0; // next payload of `packet`
    uint64_t nextPacket = 0;
    bool objectStart = true; // skip payloads until one starts a media object (after a seek)
    bool drained = false;
    TagInfo tag;
};

std::mutex lock; // around seek and decode
std::unique_ptr<WmaState> state;

void CopyText(char16_t* out, const char16_t* text) {
    size_t n = 0;
    for (; n + 1 < DECODER_PLUGIN_TEXT && text[n]; ++n)
        out[n] = text[n];
    out[n] = 0;
}

bool ReadAsf(FileReader& file, const char16_t* path, AsfFile& asf) {
    return path && file.Open(path) && AsfFile::Read(file, asf);
}

// Starts decoding at `packet`: clears the packet state and what the decoder holds.
void Restart(WmaState& s, uint64_t packet) {
    s.nextPacket = std::min(packet, s.packets);
    s.packet = AsfPacket();
    s.payload = 0;
    s.objectStart = true;
    s.drained = false;
    s.decoder.Flush();
}

bool NextPacket(WmaState& s) {
    size_t got = 0;
    if (!s.file.Seek(s.asf.PacketOffset(s.nextPacket)) ||
        !s.file.Read(s.packetBytes.data(), s.packetBytes.size(), got) ||
        got != s.packetBytes.size())
        return false;
    ++s.nextPacket;
    s.payload = 0;
    return s.packet.Parse(s.packetBytes.data(), s.packetBytes.size(), s.asf.maxPacketSize);
}

void Init(int32_t) {}

void Quit() {
    std::lock_guard guard(lock);
    state.reset();
}

uint32_t Caps() {
    return DECODER_PLUGIN_FILES | DECODER_PLUGIN_SEEK | DECODER_PLUGIN_TAGS;
}

void Name(char16_t* text) {
    CopyText(text, u"WMA Plug-in");
}

void SetEq(const DecoderPluginEqualizer*) {}
void Config(void*) {}

int32_t ExtCount() {
    return 1;
}

int32_t Ext(int32_t index, char16_t* extension, char16_t* description) {
    static const char16_t* const kExtensions[][2] = {
        {u"wma", u"Windows Media Audio Files (*.wma)"},
        {u"wmv", u"Windows Media Video Files (*.wmv)"},
        {u"asf", u"Advanced Systems Format Files (*.asf)"},
    };
    if (index < 0 || index >= 3)
        return 0;
    CopyText(extension, kExtensions[index][0]);
    CopyText(description, kExtensions[index][1]);
    return 1;
}

int32_t CheckFile(const char16_t* path) {
    FileReader file;
    uint8_t head[30];
    size_t got = 0;
    return path && file.Open(path) && file.Read(head, sizeof head, got) && got == sizeof head &&
           AsfFile::IsAsf(head, got);
}

int32_t Seek(int32_t ms);

void CloseFile() {
    std::lock_guard guard(lock);
    state.reset();
}

int32_t OpenFile(const char16_t* path, DecoderPluginFileInfo* info) {
    CloseFile();
    if (!CheckFile(path))
        return 0;
    auto s = std::make_unique<WmaState>();
    AsfFile& asf = s->asf;
    WaveFormat format;
    if (!ReadAsf(s->file, path, asf) || asf.headerSize == 0 || asf.DurationMs() == 0 ||
        asf.audioStream < 0 || asf.maxPacketSize == 0 || asf.minPacketSize != asf.maxPacketSize ||
        !WaveFormat::FromBytes(asf.waveFormat.data(), asf.waveFormat.size(), format))
        return 0;
    if (!s->decoder.Open(format)) {
        // Some files carry the version 2 decoder's flags two bytes later than it reads them.
        if (format.formatTag != kWaveFormatWmaV2 || format.extra.size() != 10)
            return 0;
        std::vector<uint8_t> extra(10, 0);
        std::copy(format.extra.begin(), format.extra.begin() + 6, extra.begin() + 2);
        format.extra = extra;
        if (!s->decoder.Open(format))
            return 0;
    }
    // The packets the file holds, should it end before the count its header gives.
    const int64_t start = asf.PacketOffset(0);
    const int64_t size = s->file.Size();
    const uint64_t present =
        size > start ? static_cast<uint64_t>(size - start) / asf.maxPacketSize : 0;
    s->packets = std::min(asf.packetCount, present);
    s->packetBytes.resize(asf.maxPacketSize);
    s->tag = asf.tag;
    info->channels = format.channels;
    info->sampleRate = static_cast<int32_t>(format.samplesPerSec);
    info->bitsPerSample = 16;
    info->bitrate = static_cast<int32_t>(format.avgBytesPerSec / 125);
    info->duration = static_cast<int32_t>(asf.DurationMs());
    {
        std::lock_guard guard(lock);
        state = std::move(s);
    }
    return Seek(0) >= 0;
}

// The presentation time (ms, with the preroll) of the first media object of the audio stream
// that starts in `packet`; -1 when none does or the packet cannot be read.
int64_t ObjectStart(WmaState& s, uint64_t packet) {
    const AsfFile& asf = s.asf;
    std::vector<uint8_t> bytes(asf.maxPacketSize);
    AsfPacket parsed;
    size_t got = 0;
    if (packet >= s.packets || !s.file.Seek(asf.PacketOffset(packet)) ||
        !s.file.Read(bytes.data(), bytes.size(), got) || got != bytes.size())
        return -1;
    parsed.Parse(bytes.data(), bytes.size(), asf.maxPacketSize);
    for (const AsfPacket::Payload& payload : parsed.payloads)
        if (payload.stream == asf.audioStream && payload.offset == 0)
            return payload.presentationTime;
    return -1;
}

// Seeks to the packet in which the media object playing at `ms` starts: a first guess from the
// index (else the packet's share of the duration), then packet by packet by their presentation
// times. Answers the time decoding starts at.
int32_t Seek(int32_t ms) {
    std::lock_guard guard(lock);
    if (!state)
        return -1;
    WmaState& s = *state;
    const AsfFile& asf = s.asf;
    if (!asf.seekable && ms != 0)
        return -1;
    ms = std::max(ms, 0);
    const int64_t target = int64_t(ms) + static_cast<int64_t>(asf.preroll);
    uint64_t packet = 0;
    if (!asf.index.empty()) {
        const uint64_t at = static_cast<uint64_t>(target) * 10000 / asf.indexInterval;
        packet = asf.index[std::min<uint64_t>(at, asf.index.size() - 1)].packet;
    } else if (asf.DurationMs() > 0) {
        packet = static_cast<uint64_t>(double(ms) / double(asf.DurationMs()) * double(s.packets));
    }
    packet = std::min(packet, s.packets ? s.packets - 1 : 0);
    constexpr int kMaxSteps = 4096;
    int64_t start = ObjectStart(s, packet);
    for (int step = 0; step < kMaxSteps && packet > 0 && (start < 0 || start > target); ++step)
        start = ObjectStart(s, --packet);
    for (int step = 0; step < kMaxSteps && start >= 0; ++step) {
        const int64_t next = ObjectStart(s, packet + 1);
        if (next < 0 || next > target)
            break;
        ++packet;
        start = next;
    }
    Restart(s, packet);
    if (start < 0) // no times to go by: the packet's share of the duration
        return s.packets ? static_cast<int32_t>(double(asf.DurationMs()) / double(s.packets) *
                                                double(packet))
                         : 0;
    return static_cast<int32_t>(
        std::clamp<int64_t>(start - static_cast<int64_t>(asf.preroll), 0, asf.DurationMs()));
}

int32_t Begin() {
    std::lock_guard guard(lock);
    if (!state)
        return 0;
    state->packet = AsfPacket();
    state->payload = 0;
    return 1;
}

int32_t Decode(DecoderPluginBlock* block) {
    std::lock_guard guard(lock);
    if (!state || !block || !block->data)
        return DECODER_PLUGIN_ERROR;
    WmaState& s = *state;
    const uint32_t room = block->bufferLength;
    uint32_t used = static_cast<uint32_t>(s.decoder.Output(block->data, room));
    while (used + 2 * s.decoder.Channels() <= room) {
        if (s.payload >= s.packet.payloads.size()) {
            if (s.nextPacket >= s.packets) {
                if (s.drained)
                    break;
                s.drained = true;
                if (!s.decoder.Drain())
                    return DECODER_PLUGIN_ERROR;
                used += static_cast<uint32_t>(s.decoder.Output(block->data + used, room - used));
                continue;
            }
            if (!NextPacket(s))
                return DECODER_PLUGIN_ERROR;
            continue;
        }
        const AsfPacket::Payload& p = s.packet.payloads[s.payload++];
        if (p.stream != s.asf.audioStream || (s.objectStart && p.offset != 0))
            continue;
        s.objectStart = false;
        if (!s.decoder.Input(p.data, p.size))
            return DECODER_PLUGIN_ERROR;
        used += static_cast<uint32_t>(s.decoder.Output(block->data + used, room - used));
    }
    block->bytesUsed = used;
    const bool end = s.drained && s.decoder.Pending() == 0;
    return used == 0 && end ? DECODER_PLUGIN_LAST : DECODER_PLUGIN_MORE;
}

void End() {
    std::lock_guard guard(lock);
    if (state) {
        state->decoder.Flush();
        state->drained = false;
    }
}

int32_t Tag(DecoderPluginTag* tag) {
    std::lock_guard guard(lock);
    if (!state)
        return 0;
    static_assert(sizeof(DecoderPluginTag) == sizeof(TagInfo));
    std::memcpy(tag, &state->tag, sizeof(TagInfo));
    return 1;
}

int32_t FileTag(const char16_t* path, DecoderPluginTag* tag) {
    FileReader file;
    AsfFile asf;
    if (!ReadAsf(file, path, asf))
        return 0;
    std::memcpy(tag, &asf.tag, sizeof(TagInfo));
    return 1;
}

int32_t OpenStream(const uint8_t*, int32_t, DecoderPluginStreamInfo*) {
    return 0;
}

int32_t DecodeStream(const uint8_t*, int32_t, int32_t*, DecoderPluginBlock*) {
    return DECODER_PLUGIN_ERROR;
}

void CloseStream() {}

const DecoderPlugin kTable = {
    DECODER_PLUGIN_VERSION,
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
    CloseStream,
};

} // namespace

const DecoderPlugin* WmaDecoderPlugin() {
    return &kTable;
}
