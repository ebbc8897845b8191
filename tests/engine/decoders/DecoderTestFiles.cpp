#include "DecoderTestFiles.h"

#include "engine/core/FileReader.h"
#include "engine/decoders/MpegDecoder.h"
#include "engine/decoders/MpegFile.h"
#include "engine/decoders/OggFile.h"
#include "engine/decoders/OggStream.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

std::string Fixture(const std::string& name) {
    return std::string(SONVALE_FIXTURES) + "/" + name;
}

std::u16string Fixture16(const std::string& name) {
    return std::filesystem::path(Fixture(name)).u16string();
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

uint32_t Le(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

void Append(Pcm& pcm, const void* bytes, size_t count) {
    const auto* in = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; i + 1 < count; i += 2)
        pcm.samples.push_back(static_cast<int16_t>(in[i] | (in[i + 1] << 8)));
}

Pcm FeedFrames(std::string data, const MpegHeaderInfo* stream, const EqualizerParams* eq,
               size_t blockBytes) {
    MpegDecoder decoder;
    if (eq)
        decoder.SetEqualizer(*eq);
    Pcm pcm;
    data.append(MpegDecoder::kGuardBytes, '\0');
    const auto* in = reinterpret_cast<const uint8_t*>(data.data());
    std::vector<uint8_t> block(blockBytes);
    for (size_t pos = 0;;) {
        MpegHeaderInfo info;
        while (!decoder.HasPending() && pos + 4 <= data.size() &&
               !(MpegHeader::QuickTest(in + pos) &&
                 MpegHeader::Parse(MpegHeader::Read(in + pos), info) &&
                 (!stream || MpegHeader::SameStream(info, *stream))))
            ++pos;
        if (pos + 4 > data.size())
            return pcm;
        size_t consumed = 0, produced = 0;
        const auto step = decoder.Decode(in + pos, data.size() - pos, block.data(), block.size(),
                                         consumed, produced);
        pcm.channels = decoder.Channels();
        pcm.rate = decoder.Rate();
        Append(pcm, block.data(), produced);
        pos += consumed;
        if (step == MpegDecoder::kNeedMore)
            return pcm;
        if (step == MpegDecoder::kRecreate)
            decoder.Reset();
        if (step == MpegDecoder::kSkipByte || step == MpegDecoder::kRecreate)
            ++pos;
    }
}

} // namespace

Pcm ReadWav(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    Pcm pcm;
    for (size_t at = 12; bytes.size() > 12 && at + 8 <= bytes.size();) {
        const uint32_t size = Le(bytes, at + 4, 4);
        if (bytes.compare(at, 4, "fmt ") == 0) {
            pcm.channels = static_cast<int>(Le(bytes, at + 10, 2));
            pcm.rate = static_cast<int>(Le(bytes, at + 12, 4));
        } else if (bytes.compare(at, 4, "data") == 0) {
            Append(pcm, bytes.data() + at + 8, std::min<size_t>(size, bytes.size() - at - 8));
            break;
        }
        at += 8 + size + (size & 1);
    }
    return pcm;
}

Pcm DecodeMpeg(const std::string& path, const EqualizerParams* eq, size_t blockBytes) {
    FileReader file;
    MpegFile mpeg;
    if (!file.Open(std::filesystem::path(path).u16string()) || !mpeg.Open(file, false))
        return Pcm();
    return FeedFrames(ReadBytes(path).substr(mpeg.FirstFrameOffset()), &mpeg.Header(), eq,
                      blockBytes);
}

Pcm DecodeMpegBytes(const std::string& bytes, size_t blockBytes) {
    return FeedFrames(bytes, nullptr, nullptr, blockBytes);
}

Pcm DecodeOggFile(const std::string& path) {
    OggFile ogg;
    Pcm pcm;
    if (!ogg.Open(std::filesystem::path(path).u16string()))
        return pcm;
    pcm.channels = ogg.Channels();
    pcm.rate = ogg.Rate();
    uint8_t block[4096];
    for (long got; (got = ogg.Read(block, sizeof block)) > 0;)
        Append(pcm, block, static_cast<size_t>(got));
    return pcm;
}

Pcm DecodeOggStream(const std::string& bytes, size_t blockBytes,
                    std::vector<std::vector<std::string>>* comments) {
    OggStream ogg;
    Pcm pcm;
    const auto* in = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t fed = std::min(bytes.size(), OggStream::kWindowSize);
    if (!ogg.Recognise(in, fed))
        return pcm;
    pcm.channels = ogg.Channels();
    pcm.rate = ogg.Rate();
    if (comments && ogg.HeadersComplete())
        comments->push_back(ogg.Comments());
    std::vector<uint8_t> block(blockBytes);
    for (;;) {
        size_t produced = 0;
        const OggStream::Result result = ogg.Decode(block.data(), block.size(), produced);
        Append(pcm, block.data(), produced);
        if (result == OggStream::kNewStream && comments)
            comments->push_back(ogg.Comments());
        if (result == OggStream::kError || (result == OggStream::kNeedData && fed == bytes.size()))
            return pcm;
        if (result == OggStream::kNeedData)
            fed += ogg.Feed(in + fed, bytes.size() - fed);
    }
}

double SnrDb(const Pcm& ours, const Pcm& ref, size_t offset) {
    if (ours.channels != ref.channels || ours.Frames() <= offset)
        return -1000;
    const size_t count = std::min(ours.Frames() - offset, ref.Frames()) * ref.channels;
    double signal = 0, noise = 0;
    for (size_t i = 0; i < count; ++i) {
        const double diff = ours.samples[offset * ref.channels + i] - ref.samples[i];
        signal += double(ref.samples[i]) * ref.samples[i];
        noise += diff * diff;
    }
    return noise == 0 ? 1000 : 10 * std::log10(signal / noise);
}
