#include "playback/GstMediaPlayer.h"

#include "platform/QueueMessageSink.h"
#include "platform/TextCodec.h"
#include "tests/ScopedAudio.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Fixture(const std::string& name) {
    return TextCodec::Utf8ToUtf16(std::string(SONVALE_FIXTURES) + "/" + name);
}

// The control plays a Windows Media file into its recording: the duration is known at the open,
// the end comes as a notice of that open, and the recording holds the whole track.
TEST(GstMediaPlayer, PlaysAFileToItsEndIntoTheRecording) {
    TempFolder home;
    ScopedAudio audio("wav:" + home.File("out.wav") + ",fast");
    QueueMessageSink view;
    GstMediaPlayer player(view);
    ASSERT_TRUE(player.Ready());
    home.Write("noise.wma", std::string(4096, '\x5a'));
    EXPECT_FALSE(player.Open(TextCodec::Utf8ToUtf16(home.File("noise.wma"))));

    ASSERT_TRUE(player.Open(Fixture("wma-v1-mono.wma")));
    EXPECT_NEAR(player.Duration(), 2136, 100);
    player.Seek(1000);
    EXPECT_NEAR(player.Position(), 1000, 250);
    player.Seek(0);
    view.Clear();
    player.Play();
    std::optional<QueueMessageSink::Message> notice;
    do {
        notice = view.TakeMessage(GstMediaPlayer::kNotice, 10000);
    } while (notice && notice->wParam != 2);
    ASSERT_TRUE(notice);
    EXPECT_TRUE(player.CurrentNotice(notice->lParam));
    player.Stop();

    WavFile played;
    ASSERT_TRUE(played.Read(home.File("out.media.wav")));
    EXPECT_EQ(played.rate, 44100);
    EXPECT_EQ(played.channels, 2);
    EXPECT_NEAR(static_cast<double>(played.Frames()) / 44100, 2.136, 0.1);

    // The next open makes the notices of this one stale.
    ASSERT_TRUE(player.Open(Fixture("wma-v2-stereo.wma")));
    EXPECT_FALSE(player.CurrentNotice(notice->lParam));
}

TEST(GstMediaPlayer, IsNotReadyWithoutAnOutput) {
    ScopedAudio audio("speakers");
    QueueMessageSink view;
    GstMediaPlayer player(view);
    EXPECT_FALSE(player.Ready());
    EXPECT_FALSE(player.Open(Fixture("wma-v1-mono.wma")));
}

} // namespace
