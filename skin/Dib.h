#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// A decoded picture: 32-bit pixels 0xAARRGGBB (alpha always 0xFF once decoded, since skins draw
// opaque), rows top-down. Decodes PNG with libpng; Qt-free.
class Dib {
public:
    // Decodes PNG bytes (any PNG colour type and depth); false, leaving the picture empty, when
    // they are not a valid PNG or the picture is larger than 8192 x 8192.
    bool DecodePng(const uint8_t* data, size_t size);
    bool LoadPngFile(const std::string& path);

    // Rows of a picture of the caller's: the first and the bytes from one row to the next.
    struct Rows {
        uint8_t* first = nullptr;
        size_t stride = 0;
    };
    // Asked for once the picture's size is known; rows without a first one give up the decode.
    using RgbTarget = std::function<Rows(int width, int height)>;
    // Decodes PNG bytes as DecodePng does, straight into three bytes a pixel (red, green, blue)
    // where `target` says, for a picture of the caller's own.
    static bool DecodePngRgb(const uint8_t* data, size_t size, const RgbTarget& target);
    static bool LoadPngFileRgb(const std::string& path, const RgbTarget& target);
    void Clear();

    bool IsValid() const { return m_width > 0 && m_height > 0; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const uint32_t* Pixels() const { return m_pixels.get(); }
    uint32_t* Pixels() { return m_pixels.get(); }
    uint32_t Pixel(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }

private:
    int m_width = 0;
    int m_height = 0;
    std::unique_ptr<uint32_t[]> m_pixels;
};
