#include "playback/SpokenTimePlayer.h"

#include "tests/ScopedAudio.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

namespace {

// A mono 22050 Hz sound whose samples tell it apart: `frames` samples counting up from `base`.
std::vector<int16_t> Samples(int16_t base, int frames) {
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i)
        samples.push_back(static_cast<int16_t>(base + i));
    return samples;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(SpokenTimeTest, PlaysTheSoundsInOrder) {
    TempFolder folder;
    const std::string out = folder / "out.wav";
    ScopedAudio audio("wav:" + out + ",fast");
    const std::map<uint32_t, std::vector<int16_t>> sounds = {
        {1, Samples(1000, 300)}, {2, Samples(-5000, 120)}, {3, Samples(20000, 701)}};
    SpokenTimePlayer speaker([&](uint32_t id) {
        const auto found = sounds.find(id);
        return found == sounds.end() ? std::string() : WavFile::Bytes(1, 22050, found->second);
    });

    EXPECT_EQ(speaker.Play({3, 1, 2, 1}), 4);

    WavFile played;
    ASSERT_TRUE(played.Read(out));
    EXPECT_EQ(played.channels, 1);
    EXPECT_EQ(played.rate, 22050);
    EXPECT_EQ(played.bits, 16);
    std::vector<int16_t> expected;
    for (const uint32_t id : {3u, 1u, 2u, 1u})
        expected.insert(expected.end(), sounds.at(id).begin(), sounds.at(id).end());
    EXPECT_EQ(played.samples, expected);
}

TEST(SpokenTimeTest, BrokenSoundsAreLeftOut) {
    TempFolder folder;
    const std::string out = folder / "out.wav";
    ScopedAudio audio("wav:" + out + ",fast");
    const std::string good = WavFile::Bytes(1, 22050, Samples(100, 50));
    std::string cutShort = WavFile::Bytes(1, 22050, Samples(-100, 40));
    cutShort.resize(cutShort.size() - 21); // 29 whole frames and half of one
    std::string float32 = good;
    float32[20] = 3; // format tag: IEEE float
    std::string noFormat = good;
    std::memcpy(noFormat.data() + 12, "junk", 4); // the data chunk comes first now
    std::string hugeChunk = good;
    std::memcpy(hugeChunk.data() + 12, "LIST", 4);
    hugeChunk[16] = hugeChunk[17] = hugeChunk[18] = hugeChunk[19] = static_cast<char>(0xFF);
    std::string threeBytes = good;
    threeBytes[34] = 24; // 24-bit samples
    const std::map<uint32_t, std::string> files = {{1, good},
                                                   {2, cutShort},
                                                   {3, float32},
                                                   {4, noFormat},
                                                   {5, hugeChunk},
                                                   {6, threeBytes},
                                                   {7, "RIFF"},
                                                   {8, std::string(44, '\0')},
                                                   {9, good.substr(0, 30)}};
    SpokenTimePlayer speaker([&](uint32_t id) {
        const auto found = files.find(id);
        return found == files.end() ? std::string() : found->second;
    });

    EXPECT_EQ(speaker.Play({1, 3, 4, 5, 6, 7, 8, 9, 10, 2}), 2);

    WavFile played;
    ASSERT_TRUE(played.Read(out));
    std::vector<int16_t> expected = Samples(100, 50);
    const std::vector<int16_t> rest = Samples(-100, 29);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(played.samples, expected);
}

TEST(SpokenTimeTest, SoundsOfAnotherFormatPlayToo) {
    TempFolder folder;
    ScopedAudio audio("wav:" + folder / "out.wav" + ",fast");
    SpokenTimePlayer speaker([](uint32_t id) {
        return id == 1 ? WavFile::Bytes(1, 22050, Samples(0, 100))
                       : WavFile::Bytes(2, 44100, Samples(0, 200));
    });
    EXPECT_EQ(speaker.Play({1, 2, 1}), 3);
}

TEST(SpokenTimeTest, WithoutADeviceNothingPlays) {
    ScopedAudio audio("no-such-backend");
    int asked = 0;
    SpokenTimePlayer speaker([&](uint32_t) {
        ++asked;
        return WavFile::Bytes(1, 22050, Samples(0, 10));
    });
    EXPECT_EQ(speaker.Play({324, 296, 311, 317}), 0);
    EXPECT_EQ(asked, 0);
    SpokenTimePlayer silent(nullptr);
    EXPECT_EQ(silent.Play({1, 2}), 0);
}

// The sounds the player embeds: every id is a 16-bit mono 22050 Hz WAV with speech in it, and
// saying a time (13:45 here) plays exactly those sounds.
TEST(SpokenTimeTest, TheShippedSoundsSayTheTime) {
    auto load = [](uint32_t id) {
        return ReadFile(std::string(SONVALE_SOUNDS) + "/" + std::to_string(id) + ".wav");
    };
    for (int id = 295; id <= 326; ++id) {
        if (id == 325)
            continue;
        WavFile sound;
        ASSERT_TRUE(sound.Read(std::string(SONVALE_SOUNDS) + "/" + std::to_string(id) + ".wav"))
            << id;
        EXPECT_EQ(sound.channels, 1) << id;
        EXPECT_EQ(sound.rate, 22050) << id;
        EXPECT_EQ(sound.bits, 16) << id;
        // Short words, but words: at least a tenth of a second, at most two seconds.
        EXPECT_GE(sound.Frames(), 2205u) << id;
        EXPECT_LE(sound.Frames(), 44100u) << id;
        if (id != 322) {
            int peak = 0;
            for (const int16_t sample : sound.samples)
                peak = std::max(peak, std::abs(static_cast<int>(sample)));
            EXPECT_GT(peak, 3000) << id;
        }
    }

    TempFolder folder;
    const std::string out = folder / "out.wav";
    ScopedAudio audio("wav:" + out + ",fast");
    SpokenTimePlayer speaker(load);
    EXPECT_EQ(speaker.Play({324, 296, 311, 317}), 4);
    WavFile played;
    ASSERT_TRUE(played.Read(out));
    std::vector<int16_t> expected;
    for (const int id : {324, 296, 311, 317}) {
        WavFile sound;
        ASSERT_TRUE(sound.Read(std::string(SONVALE_SOUNDS) + "/" + std::to_string(id) + ".wav"));
        expected.insert(expected.end(), sound.samples.begin(), sound.samples.end());
    }
    EXPECT_EQ(played.samples, expected);
}
