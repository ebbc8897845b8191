#include "playlist/StreamAddress.h"

#include <gtest/gtest.h>

namespace {

TEST(StreamAddressTest, SchemesAndWhatLosesItsCase) {
    EXPECT_TRUE(StreamAddress::HasScheme(u"HTTP://x"));
    EXPECT_TRUE(StreamAddress::HasScheme(u"https://"));
    EXPECT_FALSE(StreamAddress::HasScheme(u"httpx://x"));
    EXPECT_FALSE(StreamAddress::HasScheme(u"/music/http://"));
    EXPECT_TRUE(StreamAddress::IsStream(u"Https://h"));
    EXPECT_FALSE(StreamAddress::IsStream(u"https://"));
    EXPECT_FALSE(StreamAddress::IsStream(u"http:///path"));

    EXPECT_EQ(StreamAddress::Normalised(u"HTTP://Radio.Example:8000/Live/A.MP3"),
              u"http://radio.example:8000/Live/A.MP3");
    EXPECT_EQ(StreamAddress::Normalised(u"https://Host.Example?Id=ABC"),
              u"https://host.example?Id=ABC");
    EXPECT_EQ(StreamAddress::Normalised(u"C:/Music/Song.MP3"), u"C:/Music/Song.MP3");
}

} // namespace
