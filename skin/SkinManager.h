#pragma once

#include "skin/Dib.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IniFile;
class Profile;
class QPainter;

// One skin element: a decoded image and a colour. The skin itself (its path and its document)
// is process-wide: LoadSkin once, then every element loads from it.
//
// Images come from the skin's folder when the skin names them, else from the built-in skin: a PNG
// resource ":/skin/<id>.png" embedded in the program (see skin/builtin/).
//
// On a screen with more than one device pixel per pixel the element's picture (GetBitmap) holds
// two device pixels per skin pixel (devicePixelRatio 2): the "@2x" image where there is one (the
// built-in skin has them all; a skin may put "NAME@2x.png" beside "NAME.png"), else the 1x image
// enlarged smoothly as a whole. Painters draw it at its size in skin pixels, so cells are cut
// and placed in skin pixels as before; the sizes below are in skin pixels too.
class SkinManager {
public:
    SkinManager();
    virtual ~SkinManager();
    SkinManager(const SkinManager&) = delete;
    SkinManager& operator=(const SkinManager&) = delete;

    // An empty path is replaced by the "SkinFile" setting read through `profile` (the shared
    // profile of the player when null). Answers whether the skin document loaded.
    static bool LoadSkin(const std::u16string& path, Profile* profile = nullptr);
    static const std::u16string& SkinPath();
    static bool SkinLoaded();
    // The process-wide skin document (empty when no skin loaded).
    static IniFile& SkinDocument();

    // Loads the element's image: from the skin when it names one for section/key and that file
    // decodes, else the built-in resource `defaultId`. True only when it came from the skin.
    bool LoadImage(const std::u16string& section, const std::u16string& key, int defaultId);

    // An element of the skin: its section and key, and the built-in picture in their place.
    struct ElementName {
        const char16_t* section;
        const char16_t* key;
        int id;
    };
    // Decodes the elements a window is about to load on a thread of their own, while the window
    // does other work; each element's first LoadImage takes its picture from there (waiting for
    // it if need be). EndPrefetch, before the skin changes, drops what was not taken. The skin
    // must not be loaded again in between.
    static void Prefetch(const std::vector<ElementName>& names);
    static void EndPrefetch();
    // The skin's "r,g,b" value for section/key when the skin is loaded and has it, else the
    // default; without a skin, the built-in skin's colour where it has one. Colours are Windows
    // colour values: red in the low byte (0x00BBGGRR).
    void GetColor(const std::u16string& section, const std::u16string& key, uint32_t defaultColor);
    uint32_t Color() const { return m_color; }
    QColor QtColor() const;

    // Copies the whole image to the painter at x, y (plain source copy); nothing without image.
    void Draw(QPainter& painter, int x, int y) const;
    // The image for controls that cut it into cells; null image when there is none. Its
    // devicePixelRatio says how many device pixels it has per skin pixel.
    const QImage& GetBitmap() const { return m_image; }
    bool HasImage() const { return !m_image.isNull(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void Free();

    // Decodes the built-in image `id` into `dib`; false when there is no such resource.
    static bool LoadBuiltIn(int id, Dib& dib);
    // The background ("Main"/"Main") of the skin at `skinPath`, read with a document of its own
    // (the process-wide skin stays as it is); the built-in background when the skin gives none.
    static QImage Background(const std::u16string& skinPath);

    // The device pixel ratio pictures are prepared for: the screens' highest, or what was set.
    // Elements loaded later take it; 0 goes back to following the screens.
    static qreal PixelRatio();
    static void SetPixelRatio(qreal ratio);

private:
    // The one picture kept: the 1x pixels, or the finer picture in their place.
    QImage m_image;
    int m_width = 0;
    int m_height = 0;
    uint32_t m_color = 0;
};

// The colour value of r, g, b (red in the low byte).
inline constexpr uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r & 0xFF) | (static_cast<uint32_t>(g & 0xFF) << 8) |
           (static_cast<uint32_t>(b & 0xFF) << 16);
}
