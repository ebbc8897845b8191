#include "skin/SkinManager.h"

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "settings/Settings.h"
#include "support/IniFile.h"

#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>

#include <mutex>

// The built-in images live in this library; a static library's resources register only when
// asked to, so every path to them goes through here first.
static void InitBuiltInSkin() {
    static std::once_flag once;
    std::call_once(once, [] {
        Q_INIT_RESOURCE(skin_builtin);
        Q_INIT_RESOURCE(skin_builtin_2x);
    });
}

namespace {

struct SkinState {
    std::u16string path;
    IniFile document;
    bool loaded = false;
    qreal pixelRatio = 0; // 0: the screens'
};

SkinState& State() {
    static SkinState state;
    return state;
}

// The folder of the skin file with its trailing separator; empty when the path has none.
std::u16string SkinFolder(const std::u16string& skinPath) {
    const size_t slash = skinPath.find_last_of(u"/\\");
    return slash == std::u16string::npos ? std::u16string() : skinPath.substr(0, slash + 1);
}

// Decodes the image the skin document names for section/key; values are written with
// backslashes and the skin's folder always goes in front, so an absolute path names nothing.
// The file the skin document names for section/key; empty when it names none.
std::string SkinImagePath(const IniFile& document, const std::u16string& skinPath,
                          const std::u16string& section, const std::u16string& key) {
    std::u16string value;
    if (!document.GetValue(section, key, value))
        return {};
    std::u16string file = SkinFolder(skinPath) + value;
    for (char16_t& c : file) {
        if (c == u'\\')
            c = u'/';
    }
    return TextCodec::Utf16ToUtf8(file);
}

bool LoadFromSkin(const IniFile& document, const std::u16string& skinPath,
                  const std::u16string& section, const std::u16string& key, Dib& dib) {
    const std::string file = SkinImagePath(document, skinPath, section, key);
    return !file.empty() && dib.LoadPngFile(file);
}

// "NAME@2x.EXT" for "NAME.EXT" (only the file's name gets the mark).
std::string DoublePath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + "@2x";
    return path.substr(0, dot) + "@2x" + path.substr(dot);
}

bool LoadBuiltInFile(const QString& name, Dib& dib) {
    dib.Clear();
    QFile file(QStringLiteral(":/skin/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    return dib.DecodePng(reinterpret_cast<const uint8_t*>(bytes.constData()),
                         static_cast<size_t>(bytes.size()));
}

// The image takes the decoded pixels over (no copy); they live as long as any copy of it, so a
// control may keep the picture beyond the life of the element.
// The picture as a QImage of three bytes a pixel: skins draw opaque, and a quarter less memory
// for every element counts (the main background alone is a megabyte at four bytes).
QImage ToImage(Dib& dib) {
    if (!dib.IsValid())
        return QImage();
    const int width = dib.Width();
    const int height = dib.Height();
    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull())
        return image;
    for (int y = 0; y < height; ++y) {
        const uint32_t* from = dib.Pixels() + static_cast<size_t>(y) * width;
        uchar* to = image.scanLine(y);
        for (int x = 0; x < width; ++x, to += 3) {
            to[0] = static_cast<uchar>(from[x] >> 16);
            to[1] = static_cast<uchar>(from[x] >> 8);
            to[2] = static_cast<uchar>(from[x]);
        }
    }
    dib.Clear();
    return image;
}

// The colours of the built-in skin, from the palette of tools/skin-generator: the LCD line is
// light text on the dark glass of the display panel.
struct BuiltInColor {
    const char16_t* section;
    const char16_t* key;
    uint32_t color;
};
constexpr BuiltInColor kBuiltInColors[] = {
    {u"Title", u"BackgroundColor", Rgb(0x0c, 0x14, 0x19)},
    {u"Title", u"TextColor", Rgb(0xb8, 0xf3, 0xfb)},
    {u"Title", u"BackTextColor", Rgb(0x15, 0x23, 0x2a)},
};

} // namespace

SkinManager::SkinManager() {
    InitBuiltInSkin();
}

SkinManager::~SkinManager() = default;

bool SkinManager::LoadSkin(const std::u16string& path, Profile* profile) {
    std::u16string skinPath = path;
    if (skinPath.empty()) {
        if (profile != nullptr) {
            skinPath = Settings::Get(*profile, setting::kSkinFile);
        } else {
            Profile shared(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
            skinPath = Settings::Get(shared, setting::kSkinFile);
        }
    }
    SkinState& state = State();
    state.path = skinPath;
    state.document.Clear();
    state.loaded = !skinPath.empty() && state.document.Load(skinPath);
    return state.loaded;
}

const std::u16string& SkinManager::SkinPath() {
    return State().path;
}

bool SkinManager::SkinLoaded() {
    return State().loaded;
}

IniFile& SkinManager::SkinDocument() {
    return State().document;
}

bool SkinManager::LoadImage(const std::u16string& section, const std::u16string& key,
                            int defaultId) {
    Free();
    bool fromSkin = false;
    const SkinState& state = State();
    std::string file;
    Dib dib;
    if (state.loaded) {
        file = SkinImagePath(state.document, state.path, section, key);
        fromSkin = !file.empty() && dib.LoadPngFile(file);
    }
    if (!fromSkin)
        LoadBuiltIn(defaultId, dib);
    m_width = dib.Width();
    m_height = dib.Height();
    if (!dib.IsValid())
        return fromSkin;
    if (PixelRatio() <= 1) {
        m_image = ToImage(dib);
        return fromSkin;
    }
    // Only the finer picture is kept: the one of exactly twice the size when there is one, else
    // the 1x image enlarged.
    Dib fine;
    if (fromSkin)
        fine.LoadPngFile(DoublePath(file));
    else
        LoadBuiltInFile(QStringLiteral("%1@2x.png").arg(defaultId), fine);
    if (fine.Width() == 2 * m_width && fine.Height() == 2 * m_height)
        m_image = ToImage(fine);
    else
        m_image = ToImage(dib).scaled(QSize(m_width, m_height) * 2, Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation);
    m_image.setDevicePixelRatio(2);
    return fromSkin;
}

void SkinManager::GetColor(const std::u16string& section, const std::u16string& key,
                           uint32_t defaultColor) {
    const SkinState& state = State();
    uint32_t color = 0;
    m_color = defaultColor;
    if (state.loaded) {
        if (state.document.GetColor(section, key, color))
            m_color = color;
        return;
    }
    for (const BuiltInColor& builtIn : kBuiltInColors)
        if (section == builtIn.section && key == builtIn.key)
            m_color = builtIn.color;
}

QColor SkinManager::QtColor() const {
    return QColor(static_cast<int>(m_color & 0xFF), static_cast<int>((m_color >> 8) & 0xFF),
                  static_cast<int>((m_color >> 16) & 0xFF));
}

void SkinManager::Draw(QPainter& painter, int x, int y) const {
    if (m_image.isNull())
        return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(x, y, m_image);
    painter.restore();
}

void SkinManager::Free() {
    m_image = QImage();
    m_width = 0;
    m_height = 0;
}

bool SkinManager::LoadBuiltIn(int id, Dib& dib) {
    InitBuiltInSkin();
    return LoadBuiltInFile(QStringLiteral("%1.png").arg(id), dib);
}

QImage SkinManager::Background(const std::u16string& skinPath) {
    IniFile document;
    Dib dib;
    if (skinPath.empty() || !document.Load(skinPath) ||
        !LoadFromSkin(document, skinPath, u"Main", u"Main", dib))
        LoadBuiltIn(130, dib);
    return ToImage(dib);
}

qreal SkinManager::PixelRatio() {
    if (State().pixelRatio > 0)
        return State().pixelRatio;
    return qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
}

void SkinManager::SetPixelRatio(qreal ratio) {
    State().pixelRatio = ratio;
}
