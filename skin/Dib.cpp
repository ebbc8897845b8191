#include "skin/Dib.h"

#include "platform/RegularFile.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>

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

// Decodes into 8-bit RGBA rows in `rgba` (width * 4 bytes per row). Everything that must survive
// a libpng error lives in the caller's frame, so the jump back skips no destructor.
bool DecodeRgba(png_structp png, png_infop info, MemoryReader& reader, std::vector<uint8_t>& rgba,
                std::vector<png_bytep>& rows, png_uint_32& width, png_uint_32& height) {
    if (setjmp(png_jmpbuf(png)))
        return false;

    png_set_read_fn(png, &reader, ReadFromMemory);
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_read_info(png, info);

    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return false;

    // Every colour type and depth ends as 8-bit red, green, blue, alpha.
    png_set_expand(png);
    if (bitDepth == 16)
        png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4)
        return false;

    rgba.resize(static_cast<size_t>(width) * height * 4);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = rgba.data() + static_cast<size_t>(y) * width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

} // namespace

bool Dib::DecodePng(const uint8_t* data, size_t size) {
    Clear();
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
    std::vector<uint8_t> rgba;
    std::vector<png_bytep> rows;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    const bool decoded = DecodeRgba(png, info, reader, rgba, rows, width, height);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!decoded)
        return false;

    // Skins draw opaque: a translucent pixel is shown as it would look over black.
    m_pixels.resize(static_cast<size_t>(width) * height);
    const uint8_t* in = rgba.data();
    for (uint32_t& pixel : m_pixels) {
        const uint32_t a = in[3];
        const uint32_t r = (in[0] * a + 127) / 255;
        const uint32_t g = (in[1] * a + 127) / 255;
        const uint32_t b = (in[2] * a + 127) / 255;
        pixel = 0xFF000000u | r << 16 | g << 8 | b;
        in += 4;
    }
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
    return true;
}

bool Dib::LoadPngFile(const std::string& path) {
    Clear();
    // Only a regular file: a FIFO named as a skin image would block the window.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(RegularFile::OpenStream(path), std::fclose);
    if (!in || std::fseek(in.get(), 0, SEEK_END) != 0)
        return false;
    const long length = std::ftell(in.get());
    if (length <= 0 || length > kMaxFileBytes || std::fseek(in.get(), 0, SEEK_SET) != 0)
        return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    if (std::fread(bytes.data(), 1, bytes.size(), in.get()) != bytes.size())
        return false;
    return DecodePng(bytes.data(), bytes.size());
}

void Dib::Clear() {
    m_width = 0;
    m_height = 0;
    m_pixels.clear();
    m_pixels.shrink_to_fit();
}

