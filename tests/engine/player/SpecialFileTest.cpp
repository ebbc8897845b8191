#include "engine/core/FileReader.h"
#include "engine/decoders/OggFile.h"
#include "engine/player/Player.h"
#include "engine/tags/Id3Tag.h"
#include "platform/RegularFile.h"
#include "platform/TextCodec.h"

#include "tests/TempFolder.h"
#include "tests/UnwrittenFifo.h"

#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A FIFO would hold the open (or the first read) until a writer comes, and /dev/zero never ends:
// the engine takes neither, and says so at once.
TEST(SpecialFile, OnlyRegularFilesAreOpened) {
    TempFolder folder;
    UnwrittenFifo fifo(folder / "fifo.mp3");
    ASSERT_TRUE(fifo.Made());
    const std::string zero = folder / "zero.ogg";
    ASSERT_EQ(0, symlink("/dev/zero", zero.c_str()));

    Player player;
    for (const std::string& path : {fifo.Path(), zero}) {
        const std::u16string path16 = TextCodec::Utf8ToUtf16(path);
        const auto start = std::chrono::steady_clock::now();
        FileReader reader;
        EXPECT_FALSE(reader.Open(path16)) << path;
        EXPECT_EQ(RegularFile::kNotRegular, errno);
        EXPECT_FALSE(player.OpenFile(path16)) << path;
        EXPECT_FALSE(OggFile::Probe(path16)) << path;
        TagInfo tag;
        EXPECT_FALSE(Id3Tag::ReadFile(path16, tag)) << path;
        EXPECT_LT(std::chrono::steady_clock::now() - start, fifo.Patience()) << path;
    }
    FileReader reader;
    EXPECT_FALSE(reader.Open(TextCodec::Utf8ToUtf16(folder.Path())));
    EXPECT_EQ(EISDIR, errno);
    EXPECT_EQ("not a regular file", RegularFile::ErrorText(RegularFile::kNotRegular));
}

} // namespace
