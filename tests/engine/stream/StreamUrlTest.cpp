#include "engine/stream/StreamUrl.h"

#include <gtest/gtest.h>

namespace {

TEST(StreamUrlTest, PartsAndRedirectTargets) {
    StreamUrl url;
    ASSERT_TRUE(url.Parse("HTTPS://Radio.Example:8443/Live/Stream.MP3?x=1"));
    EXPECT_TRUE(url.Secure());
    EXPECT_EQ(url.Host(), "Radio.Example");
    EXPECT_EQ(url.Port(), 8443);
    EXPECT_EQ(url.Path(), "/Live/Stream.MP3?x=1");
    EXPECT_EQ(url.Resolve("other.mp3"), "https://Radio.Example:8443/Live/other.mp3");
    EXPECT_EQ(url.Resolve("/other"), "https://Radio.Example:8443/other");
    EXPECT_EQ(url.Resolve("//cdn.example/a"), "https://cdn.example/a");
    EXPECT_EQ(url.Resolve("http://plain.example/"), "http://plain.example/");

    ASSERT_TRUE(url.Parse("https://secure.example"));
    EXPECT_EQ(url.Port(), 443);
    EXPECT_EQ(url.Path(), "/");
    EXPECT_EQ(url.Resolve("next"), "https://secure.example/next");
    ASSERT_TRUE(url.Parse("proxy.example:3128"));
    EXPECT_FALSE(url.Secure());
    EXPECT_EQ(url.Port(), 3128);

    EXPECT_FALSE(url.Parse("http://"));
    EXPECT_FALSE(url.Parse("http://host:0/"));
    EXPECT_FALSE(url.Parse("https://host:65536"));
    EXPECT_TRUE(StreamUrl::HasWebScheme("Https://x"));
    EXPECT_FALSE(StreamUrl::HasWebScheme("ftp://x"));
}

} // namespace
