#include "engine/player/Player.h"
#include "engine/plugins/WmaPlugin.h"
#include "platform/QueueMessageSink.h"
#include "platform/TextCodec.h"

#include "tests/ScopedAudio.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

const std::string kFixtures = SONVALE_FIXTURES;

struct WmaFixture {
    const char* name;
    int channels;
    int rate;
    int32_t duration; // ms
    int packetMs;     // what one packet holds
    const char16_t* title;
    const char16_t* artist;
    const char16_t* album;
    const char16_t* genre;
    int32_t year;
    int32_t track;
};

const WmaFixture kFiles[] = {
    {"wma-v2-stereo", 2, 44100, 1391, 93, u"WMA Title", u"WMA Artist", u"WMA Album", u"Ambient",
     2007, 9},
    {"wma-v1-mono", 1, 22050, 2181, 697, u"Mono Title", u"Mono Artist", u"Mono Album", u"Jazz",
     1999, 3},
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// Plays the open file from where it stands to its end into a WAV file; the stop's code.
intptr_t PlayTo(Player& player, const std::string& out) {
    ScopedAudio audio("wav:" + out + ",fast");
    QueueMessageSink sink;
    player.SetOwner(&sink);
    intptr_t code = -1;
    if (player.Play()) {
        for (int i = 0; i < 100 && code < 0; ++i) {
            const auto m = sink.TakeMessage(WM_PLAYER_STATUS, 200);
            if (m && m->wParam == PlayerStatusStop)
                code = m->lParam;
        }
    }
    player.Stop();
    player.SetOwner(nullptr);
    player.CloseDevice();
    return code;
}

// SNR in dB of `ours` against `ref` over the frames both have, ours[i] against ref[offset + i].
double SnrDb(const WavFile& ours, const WavFile& ref, size_t offset) {
    const size_t channels = static_cast<size_t>(ref.channels);
    double signal = 0, noise = 0;
    for (size_t i = 0; i < ours.samples.size() && offset * channels + i < ref.samples.size(); ++i) {
        const double r = ref.samples[offset * channels + i], d = r - ours.samples[i];
        signal += r * r;
        noise += d * d;
    }
    return noise == 0 ? 200.0 : 10 * std::log10(signal / noise);
}

class WmaPlayback : public ::testing::Test {
protected:
    TempFolder folder;
    Player player{&WaveOut::Create, {}};
    void SetUp() override { ASSERT_TRUE(player.AddDecoder(WmaDecoderPlugin())); }
};

TEST_F(WmaPlayback, DecodesLikeFfmpegAndSeeksWithAndWithoutAnIndex) {
    for (const WmaFixture& f : kFiles) {
        SCOPED_TRACE(f.name);
        const std::u16string path = TextCodec::Utf8ToUtf16(kFixtures + "/" + f.name + ".wma");
        WavFile ref;
        ASSERT_TRUE(ref.Read(kFixtures + "/" + f.name + ".ref.wav"));
        const size_t refFrames = ref.samples.size() / f.channels;
        const size_t packetFrames = size_t(f.packetMs + 3) * f.rate / 1000;

        ASSERT_TRUE(player.IsValidFile(path));
        ASSERT_TRUE(player.OpenFile(path));
        EXPECT_EQ(player.SourceType(), SourcePlugin);
        PlayerFileInfo info;
        ASSERT_TRUE(player.GetFileInfo(info));
        EXPECT_EQ(info.channels, f.channels);
        EXPECT_EQ(info.sampleRate, f.rate);
        EXPECT_EQ(info.duration, f.duration);

        const std::string whole = folder / (std::string(f.name) + ".wav");
        ASSERT_EQ(PlayTo(player, whole), kPlayerStoppedAtEnd);
        WavFile ours;
        ASSERT_TRUE(ours.Read(whole));
        EXPECT_EQ(ours.channels, f.channels);
        EXPECT_NEAR(double(ours.samples.size() / f.channels), double(refFrames),
                    double(packetFrames));
        EXPECT_GE(SnrDb(ours, ref, 0), 90.0);

        // A seek lands within a packet of its target, says where, and plays on from there.
        for (const int32_t target : {f.duration / 2, f.duration * 4 / 5}) {
            SCOPED_TRACE(target);
            ASSERT_TRUE(player.Seek(target));
            const int32_t reached = player.Position();
            const int64_t from = int64_t(reached) * f.rate / 1000;
            EXPECT_LE(std::llabs(from - int64_t(target) * f.rate / 1000), int64_t(packetFrames));
            const std::string rest =
                folder / (std::string(f.name) + "-" + std::to_string(target) + ".wav");
            ASSERT_EQ(PlayTo(player, rest), kPlayerStoppedAtEnd);
            WavFile tail;
            ASSERT_TRUE(tail.Read(rest));
            EXPECT_NEAR(double(tail.samples.size() / f.channels), double(refFrames - from),
                        double(packetFrames));
            // The decoder starts afresh there, so its first block may differ.
            WavFile later = tail;
            const size_t skip = std::min<size_t>(4096, tail.samples.size() / f.channels);
            later.samples.erase(later.samples.begin(), later.samples.begin() + skip * f.channels);
            // Times are in whole ms (and cut twice on the way): align to the sample.
            double best = -100;
            for (int64_t shift = -128; shift <= 128; ++shift)
                if (from + shift >= 0)
                    best = std::max(best, SnrDb(later, ref, size_t(from + shift) + skip));
            EXPECT_GE(best, 90.0);
        }
        player.Close();
    }
}

TEST_F(WmaPlayback, TagsReadAsFfmpegWroteThem) {
    for (const WmaFixture& f : kFiles) {
        SCOPED_TRACE(f.name);
        const std::u16string path = TextCodec::Utf8ToUtf16(kFixtures + "/" + f.name + ".wma");
        TagInfo tags[2];
        ASSERT_TRUE(player.GetFileTag(path, tags[0]));
        ASSERT_TRUE(player.OpenFile(path));
        ASSERT_TRUE(player.GetTag(tags[1]));
        for (const TagInfo& tag : tags) {
            EXPECT_EQ(std::u16string(tag.title), f.title);
            EXPECT_EQ(std::u16string(tag.artist), f.artist);
            EXPECT_EQ(std::u16string(tag.album), f.album);
            EXPECT_EQ(std::u16string(tag.genre), f.genre);
            EXPECT_EQ(std::u16string(tag.comment), u"");
            EXPECT_EQ(tag.year, f.year);
            EXPECT_EQ(tag.track, f.track);
        }
        player.Close();
    }
}

TEST_F(WmaPlayback, RefusesWhatItCannotPlayAndStopsOnDamage) {
    const std::string bytes = ReadAll(kFixtures + "/wma-v1-mono.wma");
    ASSERT_GT(bytes.size(), 1000u);
    const auto write = [this](const std::string& name, const std::string& content) {
        return TextCodec::Utf8ToUtf16(folder.Write(name, content));
    };
    // Not ASF at all.
    EXPECT_FALSE(player.IsValidFile(write("text.wma", "not a media file at all, not even close")));
    // A broadcast has no duration and does not open (flags word of the file properties).
    std::string broadcast = bytes;
    const size_t properties = 30; // ffmpeg puts the file properties first
    ASSERT_EQ(uint8_t(broadcast[properties]), 0xA1);
    broadcast[properties + 88] |= 1;
    EXPECT_FALSE(player.OpenFile(write("broadcast.wma", broadcast)));
    // A damaged packet (an error correction byte of no known kind) ends playback with an error.
    std::string damaged = bytes;
    const size_t second = bytes.size() - 3 * 3200; // the second of the four packets
    ASSERT_EQ(uint8_t(damaged[second]), 0x82);
    damaged[second] = char(0x85);
    ASSERT_TRUE(player.OpenFile(write("damaged.wma", damaged)));
    EXPECT_EQ(PlayTo(player, folder / "damaged.wav") & kPlayerStoppedOnError,
              kPlayerStoppedOnError);
}

} // namespace
