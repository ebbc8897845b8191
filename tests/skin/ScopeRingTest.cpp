#include "skin/ScopeRing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

void PushMono(ScopeRing& ring, const std::vector<int32_t>& mono) {
    const std::vector<int16_t> samples(mono.begin(), mono.end());
    ring.PushMono(samples.data(), static_cast<int>(samples.size()));
}

} // namespace

TEST(ScopeRingTest, RowsSpanTheSurface) {
    EXPECT_EQ(ScopeRing::Row(-32768), 0);
    EXPECT_EQ(ScopeRing::Row(0), 47);
    EXPECT_EQ(ScopeRing::Row(32767), 93);
}

TEST(ScopeRingTest, DrawsTheOldestBlockFirst) {
    ScopeRing ring(1024, 4096);
    ASSERT_EQ(ring.Blocks(), 4);
    // One period over 848 samples: the 424 columns stepping 2 samples each show all of it.
    std::vector<int32_t> sine(1024);
    for (size_t i = 0; i < sine.size(); ++i)
        sine[i] = static_cast<int32_t>(std::lround(16384 * std::sin(2 * M_PI * i / 848.0)));
    PushMono(ring, sine);
    for (int i = 0; i < 3; ++i)
        PushMono(ring, std::vector<int32_t>(1024, -32768));
    std::vector<ScopeRing::Line> lines = ring.Rows();
    ASSERT_EQ(lines.size(), 424u);
    EXPECT_EQ(lines[0].from, 47);
    EXPECT_EQ(lines[106].from, 70);
    EXPECT_EQ(lines[106].to, 71); // the crest: equal rows, one row taller
    EXPECT_EQ(lines[318].from, 23);
    EXPECT_EQ(lines[423].to, ScopeRing::Row(sine[848]));

    PushMono(ring, std::vector<int32_t>(1024, 0));
    lines = ring.Rows();
    EXPECT_EQ(lines[0].from, 0); // the sine was overwritten; the oldest block is the bottom one
    EXPECT_EQ(lines[0].to, 1);
}
