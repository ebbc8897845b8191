#include "platform/Acm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

WaveFormat Make(uint16_t tag, int channels, uint32_t rate, int bits, int align,
                std::vector<uint8_t> extra = {}) {
    WaveFormat format;
    format.formatTag = tag;
    format.channels = static_cast<uint16_t>(channels);
    format.samplesPerSec = rate;
    format.avgBytesPerSec = rate * align;
    format.blockAlign = static_cast<uint16_t>(align);
    format.bitsPerSample = static_cast<uint16_t>(bits);
    format.extra = std::move(extra);
    return format;
}

// The extra bytes of the extensible format with the sub-format `tag`.
std::vector<uint8_t> Extensible(uint16_t tag) {
    return {16,
            0,
            4,
            0,
            0,
            0,
            static_cast<uint8_t>(tag),
            static_cast<uint8_t>(tag >> 8),
            0,
            0,
            0,
            0,
            0x10,
            0,
            0x80,
            0,
            0,
            0xAA,
            0,
            0x38,
            0x9B,
            0x71};
}

template <typename T> std::vector<uint8_t> Bytes(std::initializer_list<T> values) {
    std::vector<uint8_t> bytes(values.size() * sizeof(T));
    std::memcpy(bytes.data(), values.begin(), bytes.size());
    return bytes;
}

std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// Converts `data` whole, from `source` to the PCM suggested for it.
std::vector<uint8_t> ConvertAll(const WaveFormat& source, const std::vector<uint8_t>& data) {
    WaveFormat pcm;
    Acm acm;
    std::vector<uint8_t> out(65536);
    size_t used = 0, produced = 0;
    if (!Acm::SuggestPcm(source, pcm) || !acm.Open(source, pcm) ||
        !acm.Convert(data.data(), data.size(), out.data(), out.size(), true, used, produced))
        return {};
    out.resize(produced);
    return out;
}

// A mono MS ADPCM block of 256 bytes that decodes to 500 samples of `value`: predictor 0
// repeats the last sample and every code is 0. Predictors above 6 do not exist.
std::vector<uint8_t> AdpcmBlock(int16_t value, uint8_t predictor = 0) {
    std::vector<uint8_t> block(256, 0);
    block[0] = predictor;
    block[1] = 16; // step
    for (int at : {3, 5}) {
        block[at] = static_cast<uint8_t>(value & 0xFF);
        block[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    }
    return block;
}

// Room for a few pages of bytes that end right where an unreadable page begins: a read past
// them faults.
class GuardedBytes {
public:
    GuardedBytes() : m_page(static_cast<size_t>(sysconf(_SC_PAGESIZE))) {
        void* map =
            mmap(nullptr, 3 * m_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map != MAP_FAILED &&
            mprotect(static_cast<uint8_t*>(map) + 2 * m_page, m_page, PROT_NONE) == 0)
            m_map = static_cast<uint8_t*>(map);
    }
    ~GuardedBytes() {
        if (m_map)
            munmap(m_map, 3 * m_page);
    }
    bool Ready() const { return m_map != nullptr; }
    // Copies `bytes` (at most two pages) to end at the guard page.
    const uint8_t* Place(const std::vector<uint8_t>& bytes) {
        uint8_t* at = m_map + 2 * m_page - bytes.size();
        std::memcpy(at, bytes.data(), bytes.size());
        return at;
    }

private:
    size_t m_page;
    uint8_t* m_map = nullptr;
};

} // namespace

TEST(Acm, SuggestsPcmOnlyForFormatsLibavcodecDecodes) {
    const std::pair<WaveFormat, int> accepted[] = {
        {Make(1, 2, 11025, 8, 2), 8},
        {Make(1, 1, 96000, 24, 3), 16},
        {Make(3, 2, 44100, 64, 16), 16},
        {Make(7, 1, 8000, 8, 1), 16},
        {Make(2, 2, 22050, 4, 1024), 16},
        {Make(0x11, 1, 22050, 4, 512), 16},
        {Make(0x31, 1, 8000, 0, 65), 16},
        {Make(0x50, 2, 44100, 0, 1), 16},
        {Make(0x55, 2, 44100, 0, 1), 16},
        {Make(0xFFFE, 6, 48000, 24, 18, Extensible(1)), 16},
        {Make(0xFFFE, 1, 8000, 8, 1, Extensible(1)), 8},
    };
    for (const auto& [source, bits] : accepted) {
        SCOPED_TRACE(source.formatTag);
        WaveFormat pcm;
        ASSERT_TRUE(Acm::SuggestPcm(source, pcm));
        EXPECT_EQ(1, pcm.formatTag);
        EXPECT_EQ(source.channels, pcm.channels);
        EXPECT_EQ(source.samplesPerSec, pcm.samplesPerSec);
        EXPECT_EQ(bits, pcm.bitsPerSample);
        EXPECT_EQ(source.channels * bits / 8, pcm.blockAlign);
        EXPECT_EQ(source.samplesPerSec * pcm.blockAlign, pcm.avgBytesPerSec);
    }

    std::vector<uint8_t> otherGuid = Extensible(1);
    otherGuid.back() = 0x72;
    const WaveFormat refused[] = {
        Make(0x1234, 2, 44100, 16, 4),            // unknown
        Make(0x0161, 2, 44100, 16, 4),            // not one of the conversions
        Make(1, 1, 44100, 12, 2),                 // 12-bit PCM
        Make(3, 1, 44100, 16, 2),                 // 16-bit float
        Make(1, 0, 44100, 16, 4),                 // no channels
        Make(1, 2, 0, 16, 4),                     // no rate
        Make(2, 2, 22050, 4, 0),                  // ADPCM without blocks
        Make(0x31, 1, 8000, 0, 64),               // GSM blocks are 65 bytes
        Make(0xFFFE, 2, 44100, 16, 4, {16, 0}),   // extensible without its record
        Make(0xFFFE, 2, 44100, 16, 4, otherGuid), // not the common GUID
        Make(0xFFFE, 2, 44100, 16, 4, Extensible(0xFFFE)),
    };
    for (const WaveFormat& source : refused) {
        SCOPED_TRACE(source.formatTag);
        WaveFormat pcm;
        EXPECT_FALSE(Acm::SuggestPcm(source, pcm));
    }
}

TEST(Acm, ConvertsSamplesToSixteenBitsWithRoundingAndClipping) {
    EXPECT_EQ((std::vector<int16_t>{32767, -32768, 2, -1, 32767, 0}),
              Samples(ConvertAll(Make(1, 2, 44100, 32, 8),
                                 Bytes<int32_t>({0x7FFFFFFF, std::numeric_limits<int32_t>::min(),
                                                 0x00018000, -65536, 0x7FFF8000, 0x7FFF}))));
    EXPECT_EQ((std::vector<int16_t>{32767, -32768, 1, 0x1234}),
              Samples(ConvertAll(Make(1, 2, 44100, 24, 6), {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80,
                                                            0x80, 0x00, 0x00, 0x00, 0x34, 0x12})));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<int16_t> floats = {16384, -32768, 32767, 0, -8192, -32768};
    EXPECT_EQ(floats, Samples(ConvertAll(Make(3, 1, 44100, 32, 4),
                                         Bytes<float>({0.5f, -1.0f, 1.5f, nan, -0.25f, -7.0f}))));
    EXPECT_EQ(floats,
              Samples(ConvertAll(Make(3, 1, 44100, 64, 8),
                                 Bytes<double>({0.5, -1.0, 1.5, double(nan), -0.25, -7.0}))));
    const std::vector<uint8_t> eight = {0, 0x80, 0xFF, 0x7F};
    EXPECT_EQ(eight, ConvertAll(Make(0xFFFE, 2, 8000, 8, 2, Extensible(1)), eight));
    EXPECT_EQ((std::vector<int16_t>{8, -8, -32256}),
              Samples(ConvertAll(Make(6, 1, 8000, 8, 1), {0xD5, 0x55, 0x2A})));
    EXPECT_EQ((std::vector<int16_t>{0, 32124, -32124}),
              Samples(ConvertAll(Make(7, 1, 8000, 8, 1), {0xFF, 0x80, 0x00})));
}

TEST(Acm, ConvertsWholeBlocksAndKeepsWhatDoesNotFit) {
    const WaveFormat source = Make(2, 1, 22050, 4, 256);
    WaveFormat pcm;
    Acm acm;
    ASSERT_TRUE(Acm::SuggestPcm(source, pcm) && acm.Open(source, pcm));
    EXPECT_EQ(500u, acm.SourceBlockFrames());
    size_t bytes = 0;
    ASSERT_TRUE(acm.SourceBytesFor(2000, bytes));
    EXPECT_EQ(512u, bytes);
    ASSERT_TRUE(acm.SourceBytesFor(10, bytes));
    EXPECT_EQ(256u, bytes); // one block at least, or nothing would move

    std::vector<uint8_t> data;
    for (int i = 0; i < 3; ++i) {
        const std::vector<uint8_t> block = AdpcmBlock(1000);
        data.insert(data.end(), block.begin(), block.end());
    }
    data.resize(data.size() + 100, 0x11); // a partial block
    std::vector<uint8_t> out(3000);
    size_t at = 0, total = 0, used = 0, produced = 0;
    const auto convert = [&](size_t room, bool end) {
        ASSERT_TRUE(acm.Convert(data.data() + at, data.size() - at, out.data() + total, room, end,
                                used, produced));
        at += used;
        total += produced;
    };
    convert(300, false);
    EXPECT_EQ(256u, used);
    EXPECT_EQ(300u, produced);
    ASSERT_TRUE(acm.SourceBytesFor(300, bytes));
    EXPECT_EQ(0u, bytes); // 700 bytes are kept
    convert(2000, false);
    EXPECT_EQ(512u, used); // the partial block waits for more
    EXPECT_EQ(2000u, produced);
    convert(2000, false);
    EXPECT_EQ(0u, used);
    EXPECT_EQ(700u, produced);
    convert(2000, true); // at the end the partial block is dropped
    EXPECT_EQ(100u, used);
    EXPECT_EQ(0u, produced);
    out.resize(total);
    EXPECT_EQ(std::vector<int16_t>(1500, 1000), Samples(out));
}

TEST(Acm, SkipsDamagedBlocksAndForgetsEverythingOnReset) {
    const WaveFormat source = Make(2, 1, 22050, 4, 256);
    std::vector<uint8_t> data = AdpcmBlock(1000);
    const std::vector<uint8_t> bad = AdpcmBlock(-5, 9), good = AdpcmBlock(-7);
    data.insert(data.end(), bad.begin(), bad.end());
    data.insert(data.end(), good.begin(), good.end());
    std::vector<int16_t> want(500, 1000);
    want.insert(want.end(), 500, -7);
    EXPECT_EQ(want, Samples(ConvertAll(source, data)));

    WaveFormat pcm;
    Acm acm;
    ASSERT_TRUE(Acm::SuggestPcm(source, pcm) && acm.Open(source, pcm));
    std::vector<uint8_t> out(1000);
    size_t used = 0, produced = 0;
    ASSERT_TRUE(acm.Convert(data.data(), 256, out.data(), 200, false, used, produced));
    ASSERT_TRUE(acm.Reset());
    ASSERT_TRUE(
        acm.Convert(good.data(), good.size(), out.data(), out.size(), false, used, produced));
    EXPECT_EQ(std::vector<int16_t>(500, -7), Samples(out));
}

TEST(Acm, MpegFrameSplitterReadsNothingPastTheSource) {
    // Damaged MPEG audio, handed over the way the WAV reader does: what is left of the last
    // round and up to 4 KB more, in a buffer of exactly that size.
    const WaveFormat source = Make(kWaveFormatMpeg, 1, 273, 0, 288);
    GuardedBytes guarded;
    ASSERT_TRUE(guarded.Ready());
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SONVALE_WAV_CORPUS)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string file((std::istreambuf_iterator<char>(in)), {});
        const size_t data = file.find("data", 12);
        if (data == std::string::npos)
            continue;
        ++files;
        WaveFormat pcm;
        Acm acm;
        ASSERT_TRUE(Acm::SuggestPcm(source, pcm) && acm.Open(source, pcm));
        std::vector<uint8_t> pending, out(8192);
        size_t next = data + 8, decoded = 0;
        for (int round = 0; round < 1000; ++round) {
            const size_t more = std::min(4096 - pending.size(), file.size() - next);
            pending.insert(pending.end(), file.begin() + next, file.begin() + next + more);
            next += more;
            const bool end = next == file.size();
            size_t used = 0, produced = 0;
            if (!acm.Convert(guarded.Place(pending), pending.size(), out.data(), out.size(), end,
                             used, produced))
                break;
            pending.erase(pending.begin(), pending.begin() + used);
            decoded += produced;
            if (end && used == 0 && produced == 0)
                break;
        }
        EXPECT_EQ(0u, decoded % 2);
    }
    EXPECT_GE(files, 8);
}
