#include "playlist/EntryTags.h"

#include "platform/TextCodec.h"
#include "playlist/LibraryTagSource.h"

#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace std::string_literals;

namespace {

// Hands out frames as the run-time library would.
class FakeLibrary : public LibraryTagSource {
public:
    bool available = true;
    std::map<std::string, std::string> frames;
    std::string opened;
    int closes = 0;

    bool Available() override { return available; }
    bool Open(const std::string& path) override {
        opened = path;
        return true;
    }
    bool FindField(const std::string& name, std::string& bytes) override {
        const auto found = frames.find(name);
        if (found != frames.end())
            bytes = found->second;
        return found != frames.end();
    }
    void Close() override { ++closes; }
};

class EntryTagsTest : public ::testing::Test {
protected:
    std::u16string Fixture(const std::string& name, const std::string& as) {
        std::filesystem::copy_file(std::string(SONVALE_FIXTURES) + "/" + name, folder / as);
        return folder.File16(as);
    }

    TempFolder folder;
    FakeLibrary library;
    TagInfo info;
};

TEST_F(EntryTagsTest, FileTagsComeFirstAndTheLibraryFillsWhatTheyLack) {
    ASSERT_TRUE(EntryTags::Fill(Fixture("tag-id3v23.mp3", "Some.mp3"), info, &library));
    EXPECT_EQ(std::u16string(info.artist), u"Fixture Artist");
    EXPECT_TRUE(library.opened.empty());
    ASSERT_TRUE(EntryTags::Fill(Fixture("tag-vorbis.ogg", "v.ogg"), info, &library));
    EXPECT_EQ(std::u16string(info.album), u"앨범");

    const std::u16string plain = Fixture("mpeg1-l3-cbr-plain.mp3", "Plain Song.mp3");
    library.frames["TIT2"] = "\x00Library Title   "s;
    library.frames["TPE1"] = "\x01\xFF\xFEx\x00"s; // UTF-16 text: not taken
    ASSERT_TRUE(EntryTags::Fill(plain, info, &library));
    EXPECT_EQ(library.opened, TextCodec::Utf16ToUtf8(plain));
    EXPECT_EQ(library.closes, 1);
    EXPECT_EQ(std::u16string(info.title), u"Library Title");
    EXPECT_EQ(std::u16string(info.artist), u"");

    library.available = false;
    ASSERT_TRUE(EntryTags::Fill(plain, info, &library));
    EXPECT_EQ(std::u16string(info.title), u"Plain Song");
    EXPECT_EQ(library.closes, 1);

    EXPECT_FALSE(EntryTags::Fill(folder.File16("missing.mp3"), info, nullptr));
    std::filesystem::create_directory(folder / "dir.mp3");
    EXPECT_FALSE(EntryTags::Fill(folder.File16("dir.mp3"), info, nullptr));
}

TEST(FrameTextTest, FramesFollowTheirKindRules) {
    EXPECT_EQ(EntryTags::FrameText("TIT2", "\x03Title"s), u"");
    EXPECT_EQ(EntryTags::FrameText("TIT2", ""), u"");
    EXPECT_EQ(EntryTags::FrameText("COMM", "\x00"
                                           "eng\x00"
                                           "abcA comment"s),
              u"A comment");
    EXPECT_EQ(EntryTags::FrameText("COMM", "short"), u"short");
    EXPECT_EQ(EntryTags::FrameText("APIC", "\x00picture"s), u"");
    EXPECT_EQ(EntryTags::FrameText("TALB", "\x00"s + std::string(300, 'a')),
              std::u16string(255, u'a'));
    EXPECT_EQ(EntryTags::FrameText("TPE1", "\x00K\xF6nig\x00junk"s), u"König");
}

} // namespace
