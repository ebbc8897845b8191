#include "DecoderTestFiles.h"

#include "engine/decoders/OggFile.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

TEST(OggFile, ProbeAndOpen) {
    EXPECT_TRUE(OggFile::Probe(Fixture16("vorbis-chained.ogg")));
    EXPECT_FALSE(OggFile::Probe(Fixture16("mpeg1-l3-cbr-plain.mp3")));
    EXPECT_FALSE(OggFile::Probe(u""));
    EXPECT_FALSE(OggFile::Probe(Fixture16("missing.ogg")));

    OggFile ogg;
    ASSERT_TRUE(ogg.Open(Fixture16("vorbis-44100.ogg")));
    EXPECT_EQ(2, ogg.Channels());
    EXPECT_EQ(44100, ogg.Rate());
    EXPECT_GT(ogg.Bitrate(), 32);
    EXPECT_LT(ogg.Bitrate(), 192);
    const std::vector<std::string> comments = ogg.Comments();
    EXPECT_NE(comments.end(), std::find(comments.begin(), comments.end(), "title=Fixture Title"));

    EXPECT_FALSE(ogg.Open(Fixture16("mpeg1-l3-cbr-plain.mp3")));
    EXPECT_FALSE(ogg.IsOpen());
    uint8_t block[64];
    EXPECT_LT(ogg.Read(block, sizeof block), 0);
}

TEST(OggFile, DecodesAndSeeksLikeTheReference) {
    for (const char* name : {"vorbis-44100", "vorbis-chained"}) {
        SCOPED_TRACE(name);
        const Pcm want = ReadWav(Fixture(std::string(name) + ".ref.wav"));
        OggFile ogg;
        ASSERT_TRUE(ogg.Open(Fixture16(std::string(name) + ".ogg")));
        EXPECT_EQ(int64_t(want.Frames()), ogg.TotalSamples());
        const Pcm ours = DecodeOggFile(Fixture(std::string(name) + ".ogg"));
        EXPECT_EQ(want.Frames(), ours.Frames());
        EXPECT_GE(SnrDb(ours, want), 60.0);

        // Forwards, then backwards; the chained file's second stream starts at 500 ms.
        for (const int64_t ms : {700, 300}) {
            int64_t reached = 0;
            ASSERT_TRUE(ogg.Seek(ms, reached));
            EXPECT_EQ(ms * 44100 / 1000, reached);
            Pcm after{2, 44100, {}};
            uint8_t block[4096];
            for (long got; (got = ogg.Read(block, sizeof block)) > 0;)
                for (long i = 0; i < got; i += 2)
                    after.samples.push_back(int16_t(block[i] | block[i + 1] << 8));
            EXPECT_EQ(want.Frames() - reached, after.Frames());
            EXPECT_GE(SnrDb(ours, after, reached), 60.0);
        }
    }
}

TEST(OggFile, DamagedFilesEndWithoutHarm) {
    TempFolder folder;
    const std::string ogg = ReadBytes(Fixture("vorbis-chained.ogg"));
    std::mt19937 random(9);
    for (int round = 0; round < 10; ++round) {
        std::string bytes = ogg;
        for (int i = 0; i < 20; ++i)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        bytes.resize(bytes.size() - random() % 4000);
        DecodeOggFile(folder.Write("damaged.ogg", bytes));
    }
}

TEST(OggFile, ChainsWithADamagedLinkAndHugeGranulesOpenAsTheyShould) {
    // The second link's setup header page is damaged: the chain is refused (the sanitizer
    // build also checks that nothing of the attempt is left behind).
    const std::u16string damaged = Fixture16("vorbis-chained-damaged.ogg");
    EXPECT_TRUE(OggFile::Probe(damaged));
    OggFile ogg;
    EXPECT_FALSE(ogg.Open(damaged));
    EXPECT_FALSE(ogg.IsOpen());

    // A link on its own with the largest granule position on its last page.
    ASSERT_TRUE(ogg.Open(Fixture16("vorbis-granule-max.ogg")));
    EXPECT_EQ(INT64_MAX, ogg.TotalSamples());
    int64_t reached = 0;
    ASSERT_TRUE(ogg.Seek(500, reached));
    EXPECT_EQ(22050, reached);
    uint8_t block[4096];
    EXPECT_GT(ogg.Read(block, sizeof block), 0);
    // Past the real end, where the claimed one still lies ahead: nothing more to read.
    ASSERT_TRUE(ogg.Seek(INT64_MAX / 2, reached));
    EXPECT_EQ(0, ogg.Read(block, sizeof block));
}

TEST(OggFile, FuzzSeedsOpenOrAreRefusedWithoutHarm) {
    // Damaged chains among them: a link's header page lost, a last page of a stream no link
    // began. The layer's failed opens of these lost memory; the sanitizer build checks that.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SONVALE_OGG_CORPUS)) {
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        OggFile ogg;
        if (!ogg.Open(entry.path().u16string()))
            continue;
        uint8_t block[4096];
        long got = 0;
        for (int i = 0; i < 1000 && (got = ogg.Read(block, sizeof block)) > 0; ++i) {
        }
        EXPECT_EQ(0, got);
    }
    EXPECT_GE(files, 3);
}
