#include "skin/SkinManager.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct BuiltIn {
    int id;
    int width;
    int height;
};

// Every built-in image and its size, as the skin format defines them.
constexpr BuiltIn kBuiltIns[] = {
    {130, 480, 536}, {176, 116, 88}, {131, 156, 96}, {134, 366, 96},  {136, 156, 96},
    {133, 156, 96},  {146, 156, 96}, {135, 148, 96}, {158, 536, 76},  {159, 488, 76},
    {252, 536, 76},  {253, 488, 76}, {160, 624, 76}, {139, 432, 32},  {140, 144, 64},
    {138, 36, 92},   {137, 108, 48}, {242, 470, 50}, {243, 40, 76},   {244, 40, 76},
    {163, 480, 536}, {209, 360, 96}, {166, 306, 96}, {167, 306, 96},  {170, 306, 96},
    {171, 306, 96},  {172, 360, 96}, {173, 360, 96}, {145, 370, 168}, {141, 330, 48},
    {142, 134, 18},  {143, 22, 28},  {144, 14, 88},  {153, 242, 36},  {245, 46, 28},
    {152, 400, 78},  {150, 424, 94}, {149, 20, 94},  {330, 432, 270}, {329, 432, 162},
    {328, 432, 102}, {335, 22, 22},
};

Dib Load(int id) {
    Dib dib;
    EXPECT_TRUE(SkinManager::LoadBuiltIn(id, dib)) << id;
    return dib;
}

// The pixels of cell (column, row) of a grid.
std::vector<uint32_t> Cell(const Dib& dib, int columns, int rows, int column, int row) {
    const int w = dib.Width() / columns;
    const int h = dib.Height() / rows;
    std::vector<uint32_t> pixels;
    for (int y = row * h; y < (row + 1) * h; ++y) {
        for (int x = column * w; x < (column + 1) * w; ++x)
            pixels.push_back(dib.Pixel(x, y));
    }
    return pixels;
}

// How many pixels two cells differ in.
int Difference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += a[i] != b[i];
    return count;
}

} // namespace

TEST(BuiltInSkinTest, EveryImageIsBuiltInAtItsSize) {
    for (const BuiltIn& image : kBuiltIns) {
        Dib dib;
        ASSERT_TRUE(SkinManager::LoadBuiltIn(image.id, dib)) << image.id;
        EXPECT_EQ(dib.Width(), image.width) << image.id;
        EXPECT_EQ(dib.Height(), image.height) << image.id;
    }
    Dib none;
    EXPECT_FALSE(SkinManager::LoadBuiltIn(266, none));
    EXPECT_FALSE(none.IsValid());
    EXPECT_FALSE(SkinManager::LoadBuiltIn(0, none));
    EXPECT_FALSE(SkinManager::LoadBuiltIn(-1, none));
}

TEST(BuiltInSkinTest, ButtonStatesLookDifferent) {
    // Three-column buttons: normal, focused, disabled; row 1 pressed.
    for (int id : {131, 134, 136, 133, 146, 209, 166, 167, 170, 171, 172, 173}) {
        const Dib dib = Load(id);
        const auto normal = Cell(dib, 3, 2, 0, 0);
        const int area = static_cast<int>(normal.size());
        EXPECT_GT(Difference(normal, Cell(dib, 3, 2, 1, 0)), area / 20) << id;
        EXPECT_GT(Difference(normal, Cell(dib, 3, 2, 2, 0)), area / 20) << id;
        EXPECT_GT(Difference(normal, Cell(dib, 3, 2, 0, 1)), area / 10) << id;
    }
    // Two-column buttons: normal and focused.
    for (int id : {176, 135}) {
        const Dib dib = Load(id);
        const auto normal = Cell(dib, 2, 2, 0, 0);
        EXPECT_GT(Difference(normal, Cell(dib, 2, 2, 1, 0)), 0) << id;
        EXPECT_GT(Difference(normal, Cell(dib, 2, 2, 0, 1)), 0) << id;
    }
    for (int id : {243, 244}) {
        const Dib dib = Load(id);
        EXPECT_GT(Difference(Cell(dib, 1, 2, 0, 0), Cell(dib, 1, 2, 0, 1)), 0) << id;
    }
}

TEST(BuiltInSkinTest, TogglesShowOnAndOffApart) {
    for (int id : {158, 159, 252, 253, 160}) {
        const Dib dib = Load(id);
        for (int row = 0; row < 2; ++row) {
            const auto on = Cell(dib, 4, 2, 0, row);
            const auto off = Cell(dib, 4, 2, 2, row);
            EXPECT_GT(Difference(on, off), static_cast<int>(on.size()) / 20) << id;
            EXPECT_GT(Difference(on, Cell(dib, 4, 2, 1, row)), 0) << id;
            EXPECT_GT(Difference(off, Cell(dib, 4, 2, 3, row)), 0) << id;
        }
    }
}

TEST(BuiltInSkinTest, DisplayCellsAreDistinct) {
    // Digit strips: a blank cell and the ten digits, all different.
    for (const auto& [id, width] : {std::pair{141, 30}, std::pair{142, 12}}) {
        const Dib dib = Load(id);
        const int columns = dib.Width() / width;
        ASSERT_EQ(columns, 11);
        std::set<std::vector<uint32_t>> cells;
        for (int c = 0; c < columns; ++c)
            cells.insert(Cell(dib, columns, 1, c, 0));
        EXPECT_EQ(cells.size(), 11u) << id;
    }
    // Indicators: every row differs.
    for (const auto& [id, rows] : {std::pair{143, 2}, std::pair{144, 4}, std::pair{245, 2}}) {
        const Dib dib = Load(id);
        std::set<std::vector<uint32_t>> cells;
        for (int r = 0; r < rows; ++r)
            cells.insert(Cell(dib, 1, rows, 0, r));
        EXPECT_EQ(cells.size(), static_cast<size_t>(rows)) << id;
    }
    // VU strip: each of the 30 segments has an unlit (top) and a lit (bottom) look.
    const Dib vu = Load(153);
    for (int s = 0; s < 30; ++s)
        EXPECT_GT(Difference(Cell(vu, 30, 2, s, 0), Cell(vu, 30, 2, s, 1)), 20) << s;
    // Speaker: five different frames.
    const Dib speaker = Load(152);
    std::set<std::vector<uint32_t>> frames;
    for (int f = 0; f < 5; ++f)
        frames.insert(Cell(speaker, 5, 1, f, 0));
    EXPECT_EQ(frames.size(), 5u);
}

TEST(BuiltInSkinTest, OpaqueCellsMatchWhatLiesUnderThem) {
    // Buttons are drawn opaque over the main background: their cell corners are the background
    // at the button's place.
    const Dib main = Load(130);
    struct Place {
        int id, columns, x, y;
    };
    for (const Place& place :
         {Place{131, 3, 32, 250}, Place{134, 3, 86, 250}, Place{135, 2, 372, 250},
          Place{176, 2, 24, 68}, Place{158, 4, 32, 466}, Place{160, 4, 292, 466}}) {
        const Dib dib = Load(place.id);
        const int w = dib.Width() / place.columns;
        for (int c = 0; c < place.columns; ++c)
            EXPECT_EQ(dib.Pixel(c * w, 0), main.Pixel(place.x, place.y)) << place.id;
    }
    // Spectrum bars: the dark rows of the bar strip are the lines of the spectrum panel.
    const Dib panel = Load(150);
    const Dib strip = Load(149);
    ASSERT_EQ(panel.Height(), strip.Height());
    int shared = 0;
    for (int y = 0; y < strip.Height(); ++y)
        shared += strip.Pixel(0, y) == panel.Pixel(0, y);
    EXPECT_GT(shared, strip.Height() / 4);
    EXPECT_LT(shared, strip.Height() / 2);
}
