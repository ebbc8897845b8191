#include "DecoderTestFiles.h"

#include "engine/decoders/OggStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <random>

TEST(OggStream, DecodesLikeTheReferenceInAnyBlockSize) {
    const Pcm want = ReadWav(Fixture("vorbis-44100.ref.wav"));
    for (const size_t block : {4608u, 1002u, 4u}) {
        const Pcm ours = DecodeOggStream(ReadBytes(Fixture("vorbis-44100.ogg")), block);
        EXPECT_EQ(want.Frames(), ours.Frames()) << block;
        EXPECT_GE(SnrDb(ours, want), 60.0) << block;
    }
}

TEST(OggStream, ChainedStreamSwitchesWithoutStopping) {
    const Pcm want = ReadWav(Fixture("vorbis-chained.ref.wav"));
    std::vector<std::vector<std::string>> comments;
    const Pcm ours = DecodeOggStream(ReadBytes(Fixture("vorbis-chained.ogg")), 4608, &comments);
    EXPECT_EQ(want.Frames(), ours.Frames());
    EXPECT_GE(SnrDb(ours, want), 60.0);
    ASSERT_EQ(2u, comments.size());
    EXPECT_EQ("title=First Stream", comments[0][0]);
    EXPECT_EQ("title=Second Stream", comments[1][0]);
}

TEST(OggStream, RecognisesOnlyTheStartOfAVorbisStream) {
    const std::string ogg = ReadBytes(Fixture("vorbis-44100.ogg"));
    const auto* bytes = reinterpret_cast<const uint8_t*>(ogg.data());
    OggStream stream;
    // The first page alone gives the format; the other headers come with the next chunk.
    ASSERT_TRUE(stream.Recognise(bytes, 58));
    EXPECT_FALSE(stream.HeadersComplete());
    EXPECT_EQ(2, stream.Channels());
    EXPECT_EQ(44100, stream.Rate());
    uint8_t block[4096];
    size_t produced = 0;
    EXPECT_EQ(OggStream::kNeedData, stream.Decode(block, sizeof block, produced));
    for (size_t fed = 58; stream.Decode(block, sizeof block, produced) == OggStream::kNeedData;)
        fed += stream.Feed(bytes + fed, 4096);
    EXPECT_TRUE(stream.HeadersComplete());
    EXPECT_FALSE(stream.Comments().empty());

    EXPECT_FALSE(stream.Recognise(
        reinterpret_cast<const uint8_t*>(ReadBytes(Fixture("mpeg1-l2-44100.mp2")).data()), 4096));
    EXPECT_FALSE(stream.Recognise(bytes + ogg.find("OggS", 4), 4096)); // joined after page 1
    std::string broken = ogg.substr(0, 4096);
    broken[30] ^= 0x55; // "vorbis" of the identification header
    EXPECT_FALSE(stream.Recognise(reinterpret_cast<const uint8_t*>(broken.data()), 4096));
}

TEST(OggStream, SurvivesGarbage) {
    const std::string ogg = ReadBytes(Fixture("vorbis-chained.ogg"));
    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        std::string bytes = ogg;
        for (int i = 0; i < 40; ++i)
            bytes[4096 + random() % (bytes.size() - 4096)] = static_cast<char>(random());
        bytes.resize(4096 + random() % (bytes.size() - 4096));
        DecodeOggStream(bytes, 1000 + round);
    }
}

// libvorbis exports the same names as Tremor. With libvorbis loaded, the Tremor this program
// calls must still be its own copy (else files decode to nothing), and libvorbis's users must
// still reach libvorbis.
TEST(OggStream, DecodesWithLibvorbisLoadedFirst) {
    void* libvorbis = dlopen("libvorbis.so.0", RTLD_NOW | RTLD_GLOBAL);
    if (!libvorbis)
        GTEST_SKIP() << "libvorbis.so.0 is not installed: " << dlerror();
    Dl_info global{}, tremor{}, program{};
    ASSERT_NE(0, dladdr(dlsym(RTLD_DEFAULT, "vorbis_synthesis"), &global));
    EXPECT_NE(nullptr, std::strstr(global.dli_fname, "libvorbis.so"));
    ASSERT_NE(0, dladdr(reinterpret_cast<void*>(&vorbis_synthesis), &tremor));
    ASSERT_NE(0, dladdr(reinterpret_cast<void*>(&ReadBytes), &program));
    EXPECT_STREQ(program.dli_fname, tremor.dli_fname);

    const Pcm want = ReadWav(Fixture("vorbis-44100.ref.wav"));
    EXPECT_GE(SnrDb(DecodeOggFile(Fixture("vorbis-44100.ogg")), want), 60.0);
    EXPECT_GE(SnrDb(DecodeOggStream(ReadBytes(Fixture("vorbis-44100.ogg")), 4608), want), 60.0);
    dlclose(libvorbis);
}
