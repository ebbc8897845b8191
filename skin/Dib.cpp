#include "skin/Dib.h"

#include "platform/RegularFile.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr png_uint_32 kMaxSide = 8192;
// A skin image file larger than this is refused before it is read.
constexpr long kMaxFileBytes = 64 * 1024 * 1024;
// No single chunk (text, ICC profile, ...) may make libpng allocate more than this.
constexpr png_alloc_size_t kMaxChunkBytes = 8 * 1024 * 1024;

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->size - reader->offset)
        png_error(png, "truncated PNG data");
    std::memcpy(out, reader->data + reader->offset, length);
    reader->offset += length;
}

void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Where the decoded rows go, asked for once the picture's size is known: the first row and the
// bytes from one row to the next (no row when the caller gives up).
using Place = std::function<Dib::Rows(png_uint_32 width, png_uint_32 height, bool hasAlpha)>;

// Decodes into 8-bit channels where `place` says: with `argb`, four bytes a pixel in the order of
// a 0xAARRGGBB word; else red, green, blue and, when `hasAlpha`, alpha. Everything that must
// survive a libpng error lives in the caller's frame, so the jump back skips no destructor.
// `hasAlpha` tells whether any pixel may be translucent.
bool DecodeRows(png_structp png, png_infop info, MemoryReader& reader, bool argb,
                const Place& place, std::vector<png_bytep>& rows, bool& hasAlpha) {
    if (setjmp(png_jmpbuf(png)))
        return false;

    png_set_read_fn(png, &reader, ReadFromMemory);
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return false;
    hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS);

    // Every colour type and depth ends as 8-bit red, green and blue (and alpha).
    png_set_expand(png);
    if (bitDepth == 16)
        png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (argb && std::endian::native == std::endian::little) {
        png_set_bgr(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    } else if (argb) {
        png_set_swap_alpha(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_BEFORE);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t pixelBytes = argb || hasAlpha ? 4 : 3;
    if (png_get_rowbytes(png, info) != width * pixelBytes)
        return false;

    const Dib::Rows target = place(width, height, hasAlpha);
    if (target.first == nullptr)
        return false;
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = target.first + y * target.stride;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

bool Decode(const uint8_t* data, size_t size, bool argb, const Place& place, bool& hasAlpha) {
    if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    MemoryReader reader{data, size, 0};
    std::vector<png_bytep> rows;
    const bool decoded = DecodeRows(png, info, reader, argb, place, rows, hasAlpha);
    png_destroy_read_struct(&png, &info, nullptr);
    return decoded;
}

// Skins draw opaque: a translucent pixel is shown as it would look over black.
uint8_t OverBlack(uint32_t channel, uint32_t alpha) {
    return static_cast<uint8_t>((channel * alpha + 127) / 255);
}

// Only a regular file: a FIFO named as a skin image would block the window.
bool ReadPngFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(RegularFile::OpenStream(path), std::fclose);
    if (!in || std::fseek(in.get(), 0, SEEK_END) != 0)
        return false;
    const long length = std::ftell(in.get());
    if (length <= 0 || length > kMaxFileBytes || std::fseek(in.get(), 0, SEEK_SET) != 0)
        return false;
    bytes.resize(static_cast<size_t>(length));
    return std::fread(bytes.data(), 1, bytes.size(), in.get()) == bytes.size();
}

} // namespace

bool Dib::DecodePng(const uint8_t* data, size_t size) {
    Clear();
    std::unique_ptr<uint32_t[]> pixels;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool hasAlpha = false;
    const auto place = [&](png_uint_32 w, png_uint_32 h, bool) {
        width = w;
        height = h;
        // libpng writes every pixel: no need to clear them first.
        pixels = std::make_unique_for_overwrite<uint32_t[]>(static_cast<size_t>(w) * h);
        return Rows{reinterpret_cast<uint8_t*>(pixels.get()), static_cast<size_t>(w) * 4};
    };
    if (!Decode(data, size, true, place, hasAlpha))
        return false;
    const size_t count = static_cast<size_t>(width) * height;
    for (size_t i = 0; hasAlpha && i < count; ++i) {
        const uint32_t pixel = pixels[i];
        const uint32_t a = pixel >> 24;
        pixels[i] = 0xFF000000u | OverBlack((pixel >> 16) & 0xFF, a) << 16 |
                    OverBlack((pixel >> 8) & 0xFF, a) << 8 | OverBlack(pixel & 0xFF, a);
    }
    m_pixels = std::move(pixels);
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
    return true;
}

bool Dib::DecodePngRgb(const uint8_t* data, size_t size, const RgbTarget& target) {
    Rows out;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    std::vector<uint8_t> rgba; // only for a picture that may be translucent
    bool hasAlpha = false;
    const auto place = [&](png_uint_32 w, png_uint_32 h, bool alpha) {
        width = w;
        height = h;
        out = target(static_cast<int>(w), static_cast<int>(h));
        if (out.first == nullptr || !alpha)
            return out;
        rgba.resize(static_cast<size_t>(w) * h * 4);
        return Rows{rgba.data(), static_cast<size_t>(w) * 4};
    };
    if (!Decode(data, size, false, place, hasAlpha))
        return false;
    for (png_uint_32 y = 0; hasAlpha && y < height; ++y) {
        const uint8_t* in = rgba.data() + static_cast<size_t>(y) * width * 4;
        uint8_t* to = out.first + y * out.stride;
        for (png_uint_32 x = 0; x < width; ++x, in += 4, to += 3) {
            to[0] = OverBlack(in[0], in[3]);
            to[1] = OverBlack(in[1], in[3]);
            to[2] = OverBlack(in[2], in[3]);
        }
    }
    return true;
}

bool Dib::LoadPngFile(const std::string& path) {
    Clear();
    std::vector<uint8_t> bytes;
    return ReadPngFile(path, bytes) && DecodePng(bytes.data(), bytes.size());
}

bool Dib::LoadPngFileRgb(const std::string& path, const RgbTarget& target) {
    std::vector<uint8_t> bytes;
    return ReadPngFile(path, bytes) && DecodePngRgb(bytes.data(), bytes.size(), target);
}

void Dib::Clear() {
    m_width = 0;
    m_height = 0;
    m_pixels.reset();
}
