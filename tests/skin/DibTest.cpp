#include "skin/Dib.h"

#include "tests/TempFolder.h"
#include "tests/UnwrittenFifo.h"

#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct PngSpec {
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    int width = 2;
    int height = 2;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<uint8_t> transparency; // tRNS entries for a palette
};

PngSpec Spec(int colorType, int bitDepth, int width, int height, bool interlaced = false) {
    PngSpec spec;
    spec.colorType = colorType;
    spec.bitDepth = bitDepth;
    spec.width = width;
    spec.height = height;
    spec.interlaced = interlaced;
    return spec;
}

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

bool WriteRows(png_structp png, png_infop info, const PngSpec& spec, std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!spec.palette.empty())
        png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
    if (!spec.transparency.empty())
        png_set_tRNS(png, info, spec.transparency.data(),
                     static_cast<int>(spec.transparency.size()), nullptr);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    return true;
}

// A PNG file of the given kind from raw rows (in the PNG's own sample layout).
std::vector<uint8_t> MakePng(const PngSpec& spec, std::vector<std::vector<uint8_t>> rowData) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, Append, Flush);
    std::vector<png_bytep> rows;
    for (auto& row : rowData)
        rows.push_back(row.data());
    const bool ok = WriteRows(png, info, spec, rows);
    png_destroy_write_struct(&png, &info);
    EXPECT_TRUE(ok);
    return out;
}

// The chunk checksum of PNG (CRC-32 over type and data).
uint32_t Crc32(const uint8_t* data, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

// Decodes both ways: the 32-bit picture, and three bytes a pixel into rows of the caller's (here
// with a gap after each row), which must hold the same colours.
bool Decode(Dib& dib, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> rgb;
    size_t stride = 0;
    const bool decodedRgb = Dib::DecodePngRgb(bytes.data(), bytes.size(), [&](int w, int h) {
        stride = static_cast<size_t>(w) * 3 + 5;
        rgb.assign(stride * static_cast<size_t>(h), 0xEE);
        return Dib::Rows{rgb.data(), stride};
    });
    const bool decoded = dib.DecodePng(bytes.data(), bytes.size());
    EXPECT_EQ(decodedRgb, decoded);
    for (int y = 0; decoded && decodedRgb && y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x) {
            const uint8_t* at = rgb.data() + y * stride + x * 3;
            EXPECT_EQ(0xFF000000u | at[0] << 16 | at[1] << 8 | at[2], dib.Pixel(x, y))
                << x << "," << y;
        }
    return decoded;
}

} // namespace

TEST(DibTest, DecodesEveryColourTypeToOpaqueRgb) {
    Dib dib;

    // Grey, 8 bit.
    PngSpec grey = Spec(PNG_COLOR_TYPE_GRAY, 8, 2, 1);
    ASSERT_TRUE(Decode(dib, MakePng(grey, {{0x00, 0x80}})));
    EXPECT_EQ(dib.Width(), 2);
    EXPECT_EQ(dib.Height(), 1);
    EXPECT_EQ(dib.Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(dib.Pixel(1, 0), 0xFF808080u);

    // Grey, 2 bit: levels 0, 1, 2, 3 -> 0x00, 0x55, 0xAA, 0xFF.
    PngSpec grey2 = Spec(PNG_COLOR_TYPE_GRAY, 2, 4, 1);
    ASSERT_TRUE(Decode(dib, MakePng(grey2, {{0b00011011}})));
    EXPECT_EQ(dib.Pixel(1, 0), 0xFF555555u);
    EXPECT_EQ(dib.Pixel(3, 0), 0xFFFFFFFFu);

    // Grey with alpha: a half-transparent white shows as mid grey, a clear pixel as black.
    PngSpec greyAlpha = Spec(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2, 1);
    ASSERT_TRUE(Decode(dib, MakePng(greyAlpha, {{0xFF, 0x80, 0xFF, 0x00}})));
    EXPECT_EQ(dib.Pixel(0, 0), 0xFF808080u);
    EXPECT_EQ(dib.Pixel(1, 0), 0xFF000000u);

    // RGB.
    PngSpec rgb = Spec(PNG_COLOR_TYPE_RGB, 8, 2, 2);
    ASSERT_TRUE(Decode(dib, MakePng(rgb, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}})));
    EXPECT_EQ(dib.Pixel(0, 0), 0xFF010203u);
    EXPECT_EQ(dib.Pixel(1, 1), 0xFF0A0B0Cu); // rows stay top-down

    // RGBA: opaque keeps its colour, the alpha of the result is always full.
    PngSpec rgba = Spec(PNG_COLOR_TYPE_RGB_ALPHA, 8, 2, 1);
    ASSERT_TRUE(Decode(dib, MakePng(rgba, {{0x10, 0x20, 0x30, 0xFF, 0xFF, 0x00, 0x00, 0x00}})));
    EXPECT_EQ(dib.Pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(dib.Pixel(1, 0), 0xFF000000u);

    // Palette with a transparent entry.
    PngSpec palette = Spec(PNG_COLOR_TYPE_PALETTE, 8, 3, 1);
    palette.palette = {{0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xFF}};
    palette.transparency = {0xFF, 0xFF, 0x00};
    ASSERT_TRUE(Decode(dib, MakePng(palette, {{0, 1, 2}})));
    EXPECT_EQ(dib.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(dib.Pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(dib.Pixel(2, 0), 0xFF000000u);

    // Palette, 4 bit.
    PngSpec palette4 = Spec(PNG_COLOR_TYPE_PALETTE, 4, 2, 1);
    palette4.palette = {{1, 2, 3}, {4, 5, 6}};
    ASSERT_TRUE(Decode(dib, MakePng(palette4, {{0x10}})));
    EXPECT_EQ(dib.Pixel(0, 0), 0xFF040506u);
    EXPECT_EQ(dib.Pixel(1, 0), 0xFF010203u);

    // 16-bit RGB and grey: scaled to 8 bits.
    PngSpec rgb16 = Spec(PNG_COLOR_TYPE_RGB, 16, 1, 1);
    ASSERT_TRUE(Decode(dib, MakePng(rgb16, {{0xFF, 0xFF, 0x80, 0x80, 0x00, 0x00}})));
    EXPECT_EQ(dib.Pixel(0, 0), 0xFFFF8000u);
    PngSpec grey16 = Spec(PNG_COLOR_TYPE_GRAY_ALPHA, 16, 1, 1);
    ASSERT_TRUE(Decode(dib, MakePng(grey16, {{0x40, 0x40, 0xFF, 0xFF}})));
    EXPECT_EQ(dib.Pixel(0, 0), 0xFF404040u);
}

TEST(DibTest, DecodesInterlacedPictures) {
    PngSpec spec = Spec(PNG_COLOR_TYPE_RGB, 8, 9, 9, true);
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < 9; ++y) {
        std::vector<uint8_t> row;
        for (int x = 0; x < 9; ++x) {
            row.push_back(static_cast<uint8_t>(x * 20));
            row.push_back(static_cast<uint8_t>(y * 20));
            row.push_back(7);
        }
        rows.push_back(row);
    }
    Dib dib;
    ASSERT_TRUE(Decode(dib, MakePng(spec, rows)));
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(dib.Pixel(x, y), 0xFF000007u | (x * 20u) << 16 | (y * 20u) << 8);
    }
}

TEST(DibTest, RefusesBrokenAndOversizedPictures) {
    Dib dib;
    const std::vector<uint8_t> good =
        MakePng(Spec(PNG_COLOR_TYPE_RGB, 8, 4, 4),
                std::vector<std::vector<uint8_t>>(4, {1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3}));
    ASSERT_TRUE(Decode(dib, good));

    // Each failure leaves the picture empty, whatever it held before.
    EXPECT_FALSE(dib.DecodePng(nullptr, 0));
    EXPECT_FALSE(dib.IsValid());
    EXPECT_EQ(dib.Width(), 0);

    const std::string text = "not a picture at all";
    EXPECT_FALSE(dib.DecodePng(reinterpret_cast<const uint8_t*>(text.data()), text.size()));

    // Cut off at every length: never a crash, never a picture.
    for (size_t length = 0; length < good.size(); ++length)
        ASSERT_FALSE(dib.DecodePng(good.data(), length)) << length;

    // A damaged byte in the image data breaks its checksum.
    std::vector<uint8_t> damaged = good;
    damaged[damaged.size() - 20] ^= 0x55;
    EXPECT_FALSE(Decode(dib, damaged));

    // The size limit is 8192 on either side.
    PngSpec wide = Spec(PNG_COLOR_TYPE_GRAY, 1, 8192, 1);
    EXPECT_TRUE(Decode(dib, MakePng(wide, {std::vector<uint8_t>(1024, 0xFF)})));
    EXPECT_EQ(dib.Width(), 8192);
    PngSpec tooWide = Spec(PNG_COLOR_TYPE_GRAY, 1, 8193, 1);
    EXPECT_FALSE(Decode(dib, MakePng(tooWide, {std::vector<uint8_t>(1025, 0xFF)})));

    // A header that claims a huge picture is refused before anything is allocated for it.
    std::vector<uint8_t> huge = good;
    const uint8_t side[4] = {0x00, 0x01, 0x86, 0xA0}; // 100000
    std::memcpy(huge.data() + 16, side, 4);
    std::memcpy(huge.data() + 20, side, 4);
    const uint32_t crc = Crc32(huge.data() + 12, 17); // "IHDR" and its 13 bytes
    const uint8_t crcBytes[4] = {static_cast<uint8_t>(crc >> 24), static_cast<uint8_t>(crc >> 16),
                                 static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc)};
    std::memcpy(huge.data() + 29, crcBytes, 4);
    EXPECT_FALSE(Decode(dib, huge));
}

TEST(DibTest, LoadsFilesAndRefusesMissingOnes) {
    Dib dib;
    EXPECT_FALSE(dib.LoadPngFile("/nonexistent/folder/picture.png"));
    EXPECT_FALSE(dib.LoadPngFile("/"));
    EXPECT_FALSE(dib.LoadPngFile("/dev/zero"));
    TempFolder folder;
    UnwrittenFifo fifo(folder.File("play.png"));
    ASSERT_TRUE(fifo.Made());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(dib.LoadPngFile(fifo.Path()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, fifo.Patience());
    EXPECT_FALSE(dib.IsValid());
}
