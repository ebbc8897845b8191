#include "engine/player/Player.h"
#include "engine/plugins/DecoderPlugin.h"
#include "engine/plugins/PluginRegistry.h"
#include "platform/QueueMessageSink.h"
#include "platform/TextCodec.h"

#include "tests/ScopedAudio.h"
#include "tests/TempFolder.h"
#include "tests/UnwrittenFifo.h"
#include "tests/WavFile.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

const std::string kPlugins = SONVALE_TEST_PLUGINS;

void PutBig(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>(v >> shift);
}

// A Sun/NeXT audio file of a 441 Hz tone: 16-bit big-endian linear PCM, stereo.
std::string AuFile(const std::string& annotation, int frames, std::vector<int16_t>& pcm) {
    std::string text = annotation;
    text.resize((annotation.size() + 8) & ~size_t{7}, '\0');
    std::string out = ".snd";
    PutBig(out, static_cast<uint32_t>(24 + text.size()));
    PutBig(out, static_cast<uint32_t>(frames * 4));
    PutBig(out, 3);
    PutBig(out, 44100);
    PutBig(out, 2);
    out += text;
    pcm.clear();
    for (int i = 0; i < frames; ++i) {
        const auto s = static_cast<int16_t>(12000 * std::sin(i * 2 * M_PI / 100));
        for (int16_t v : {s, static_cast<int16_t>(-s)}) {
            pcm.push_back(v);
            out += static_cast<char>(static_cast<uint16_t>(v) >> 8);
            out += static_cast<char>(v & 0xFF);
        }
    }
    return out;
}

intptr_t WaitForStop(QueueMessageSink& sink) {
    for (int i = 0; i < 100; ++i) {
        const auto m = sink.TakeMessage(WM_PLAYER_STATUS, 200);
        if (m && m->wParam == PlayerStatusStop)
            return m->lParam;
    }
    return -1;
}

TEST(PluginRegistry, LoadsAcceptableTablesOnly) {
    PluginRegistry registry;
    registry.LoadFolder(kPlugins);
    ASSERT_EQ(registry.Count(), 1u); // the build under version 0x0100 is refused
    const PluginRegistry::Entry& entry = registry.At(0);
    EXPECT_NE(entry.module, nullptr);
    EXPECT_EQ(entry.caps, uint32_t{DECODER_PLUGIN_FILES | DECODER_PLUGIN_STREAMS |
                                   DECODER_PLUGIN_SEEK | DECODER_PLUGIN_TAGS});
    char16_t name[DECODER_PLUGIN_TEXT] = {};
    entry.table->Name(name);
    EXPECT_EQ(std::u16string(name), u"Sun/NeXT audio");

    // A table of the program itself, with one entry missing, is refused; complete, it is taken.
    // (The copy borrows the loaded library's functions, so it goes before the library does.)
    DecoderPlugin copy = *entry.table;
    PluginRegistry own;
    copy.CloseStream = nullptr;
    EXPECT_FALSE(own.Add(&copy));
    copy.CloseStream = entry.table->CloseStream;
    EXPECT_TRUE(own.Add(&copy));
    ASSERT_EQ(own.Count(), 1u);
    EXPECT_EQ(own.At(0).module, nullptr);
    EXPECT_FALSE(registry.Add(nullptr));
}

class PluginPlayback : public ::testing::Test {
protected:
    TempFolder folder;
    std::vector<int16_t> pcm;
    std::u16string path =
        TextCodec::Utf8ToUtf16(folder.Write("tone.au", AuFile("Test Tone", 44100, pcm)));
};

TEST_F(PluginPlayback, APluginFileOpensDecodesAndSeeks) {
    Player player(&WaveOut::Create, {kPlugins});
    ASSERT_EQ(player.DecoderCount(), 1u);
    EXPECT_EQ(player.Decoder(0), player.Decoder(0));
    EXPECT_EQ(player.Decoder(1), nullptr);
    EXPECT_TRUE(player.IsValidFile(path));
    EXPECT_FALSE(player.IsValidFile(TextCodec::Utf8ToUtf16(folder.Write("x.au", "not audio"))));
    {
        // The plug-in is never handed a FIFO to open (it would wait for a writer).
        UnwrittenFifo fifo(folder / "fifo.au");
        ASSERT_TRUE(fifo.Made());
        const auto start = std::chrono::steady_clock::now();
        TagInfo tag;
        EXPECT_FALSE(player.IsValidFile(TextCodec::Utf8ToUtf16(fifo.Path())));
        EXPECT_FALSE(player.GetFileTag(TextCodec::Utf8ToUtf16(fifo.Path()), tag));
        EXPECT_LT(std::chrono::steady_clock::now() - start, fifo.Patience());
    }

    ASSERT_TRUE(player.OpenFile(path));
    EXPECT_EQ(player.SourceType(), SourcePlugin);
    PlayerFileInfo info;
    ASSERT_TRUE(player.GetFileInfo(info));
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_EQ(info.duration, 1000);
    EXPECT_EQ(info.mpegVersion, 0);

    // Decoded through the whole engine, the PCM arrives unchanged.
    const std::string out = folder / "out.wav";
    {
        ScopedAudio audio("wav:" + out + ",fast");
        QueueMessageSink sink;
        player.SetOwner(&sink);
        ASSERT_TRUE(player.Play());
        EXPECT_EQ(WaitForStop(sink), kPlayerStoppedAtEnd);
        player.Stop(); // the decoding thread has ended before the sink goes
        player.SetOwner(nullptr);
        player.CloseDevice();
    }
    WavFile wav;
    ASSERT_TRUE(wav.Read(out));
    EXPECT_EQ(wav.samples, pcm);

    // After a seek to 0.5 s, the second half plays.
    const std::string half = folder / "half.wav";
    {
        ScopedAudio audio("wav:" + half + ",fast");
        QueueMessageSink sink;
        player.SetOwner(&sink);
        ASSERT_TRUE(player.Seek(500));
        EXPECT_EQ(player.Position(), 500);
        ASSERT_TRUE(player.Play());
        EXPECT_EQ(WaitForStop(sink), kPlayerStoppedAtEnd);
        player.Stop(); // the decoding thread has ended before the sink goes
        player.SetOwner(nullptr);
        player.Close();
    }
    WavFile rest;
    ASSERT_TRUE(rest.Read(half));
    ASSERT_EQ(rest.Frames(), 22050u);
    EXPECT_TRUE(std::equal(rest.samples.begin(), rest.samples.end(), pcm.begin() + 44100));
}

TEST_F(PluginPlayback, TagsComeFromThePlugin) {
    Player player(&WaveOut::Create, {kPlugins});
    TagInfo tag;
    ASSERT_TRUE(player.GetFileTag(path, tag));
    EXPECT_EQ(std::u16string(tag.title), u"Test Tone");
    ASSERT_TRUE(player.OpenFile(path));
    TagInfo open;
    ASSERT_TRUE(player.GetTag(open));
    EXPECT_EQ(std::u16string(open.title), u"Test Tone");
}

TEST_F(PluginPlayback, ThePcmPreampAppliesToPluginsThatDoNotEqualise) {
    Player player(&WaveOut::Create, {kPlugins});
    EqualizerParams eq;
    eq.enabled = 1;
    eq.preamp = 37; // about -3.9 dB
    player.SetEqualizer(eq);
    const int gain = player.PreampGain();
    ASSERT_EQ(gain, 163); // integer part of 256 x 10^(-3.87 / 20)
    ASSERT_TRUE(player.OpenFile(path));
    const std::string out = folder / "quiet.wav";
    {
        ScopedAudio audio("wav:" + out + ",fast");
        QueueMessageSink sink;
        player.SetOwner(&sink);
        ASSERT_TRUE(player.Play());
        EXPECT_EQ(WaitForStop(sink), kPlayerStoppedAtEnd);
        player.Stop(); // the decoding thread has ended before the sink goes
        player.SetOwner(nullptr);
        player.Close();
    }
    WavFile wav;
    ASSERT_TRUE(wav.Read(out));
    ASSERT_EQ(wav.samples.size(), pcm.size());
    for (size_t i = 0; i < pcm.size(); i += 997)
        EXPECT_EQ(wav.samples[i], (pcm[i] * gain) >> 8) << i;
}

} // namespace
