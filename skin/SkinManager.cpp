#include "skin/SkinManager.h"

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "settings/Settings.h"
#include "support/IniFile.h"

#include <QColor>
#include <QGuiApplication>
#include <QPainter>
#include <QResource>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

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

// The file the skin document names for section/key; empty when it names none. Values are written
// with backslashes and the skin's folder always goes in front, so an absolute path names nothing.
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

// "NAME@2x.EXT" for "NAME.EXT" (only the file's name gets the mark).
std::string DoublePath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + "@2x";
    return path.substr(0, dot) + "@2x" + path.substr(dot);
}

// The bytes of a built-in picture, read in place: resources are mapped with the program.
QByteArray BuiltInBytes(const QString& name) {
    return QResource(QStringLiteral(":/skin/") + name).uncompressedData();
}

// Pictures are held at three bytes a pixel: skins draw opaque, and a quarter less memory for
// every element counts (the main background alone is a megabyte at four bytes). They are decoded
// straight into place.
Dib::RgbTarget Into(QImage& image) {
    return [&image](int width, int height) -> Dib::Rows {
        image = QImage(width, height, QImage::Format_RGB888);
        if (image.isNull())
            return {};
        return {image.bits(), static_cast<size_t>(image.bytesPerLine())};
    };
}

QImage FileImage(const std::string& path) {
    QImage image;
    return !path.empty() && Dib::LoadPngFileRgb(path, Into(image)) ? image : QImage();
}

QImage BuiltInImage(const QString& name) {
    InitBuiltInSkin();
    const QByteArray bytes = BuiltInBytes(name);
    QImage image;
    return Dib::DecodePngRgb(reinterpret_cast<const uint8_t*>(bytes.constData()),
                             static_cast<size_t>(bytes.size()), Into(image))
               ? image
               : QImage();
}

// One element's picture as LoadImage keeps it, and its size in skin pixels.
struct Decoded {
    QImage image;
    int width = 0;
    int height = 0;
    bool fromSkin = false;
};

// Decodes an element of the process-wide skin for screens of `ratio` device pixels a pixel. It
// only reads the skin document, so it may run on another thread while no skin loads.
Decoded DecodeElement(const SkinState& state, const std::u16string& section,
                      const std::u16string& key, int defaultId, qreal ratio) {
    const std::string file =
        state.loaded ? SkinImagePath(state.document, state.path, section, key) : std::string();
    Decoded decoded;
    QImage image = FileImage(file);
    decoded.fromSkin = !image.isNull();
    if (!decoded.fromSkin)
        image = BuiltInImage(QStringLiteral("%1.png").arg(defaultId));
    decoded.width = image.width();
    decoded.height = image.height();
    if (image.isNull() || ratio <= 1) {
        decoded.image = image;
        return decoded;
    }
    // Only the finer picture is kept: the one of exactly twice the size when there is one, else
    // the 1x image enlarged.
    const QImage fine = decoded.fromSkin ? FileImage(DoublePath(file))
                                         : BuiltInImage(QStringLiteral("%1@2x.png").arg(defaultId));
    if (fine.size() == image.size() * 2)
        decoded.image = fine;
    else
        decoded.image =
            image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    decoded.image.setDevicePixelRatio(2);
    return decoded;
}

// Elements decoded ahead on a thread of their own; LoadImage takes them from here.
struct Prefetched {
    std::mutex lock;
    std::condition_variable ready;
    struct Item {
        SkinManager::ElementName name;
        std::optional<Decoded> decoded; // filled by the thread
        bool taken = false;
    };
    std::vector<Item> items; // fixed while the thread runs
    std::thread thread;

    ~Prefetched() {
        if (thread.joinable())
            thread.join();
    }
};

Prefetched& Ahead() {
    static Prefetched prefetched;
    return prefetched;
}

// The prefetched picture of the element, waiting for it while it is being decoded; none when the
// element was not asked for (or was taken already).
std::optional<Decoded> TakePrefetched(const std::u16string& section, const std::u16string& key,
                                      int id) {
    Prefetched& ahead = Ahead();
    std::unique_lock lock(ahead.lock);
    for (Prefetched::Item& item : ahead.items) {
        if (item.taken || item.name.id != id || section != item.name.section ||
            key != item.name.key)
            continue;
        item.taken = true;
        ahead.ready.wait(lock, [&] { return item.decoded.has_value(); });
        return std::move(item.decoded);
    }
    return std::nullopt;
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
    EndPrefetch();
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
    std::optional<Decoded> decoded = TakePrefetched(section, key, defaultId);
    if (!decoded)
        decoded = DecodeElement(State(), section, key, defaultId, PixelRatio());
    m_image = std::move(decoded->image);
    m_width = decoded->width;
    m_height = decoded->height;
    return decoded->fromSkin;
}

void SkinManager::Prefetch(const std::vector<ElementName>& names) {
    EndPrefetch();
    Prefetched& ahead = Ahead();
    for (const ElementName& name : names)
        ahead.items.push_back({name, std::nullopt, false});
    const qreal ratio = PixelRatio();
    ahead.thread = std::thread([&ahead, ratio] {
        for (Prefetched::Item& item : ahead.items) {
            Decoded decoded =
                DecodeElement(State(), item.name.section, item.name.key, item.name.id, ratio);
            std::lock_guard lock(ahead.lock);
            item.decoded = std::move(decoded);
            ahead.ready.notify_all();
        }
    });
}

void SkinManager::EndPrefetch() {
    Prefetched& ahead = Ahead();
    if (ahead.thread.joinable())
        ahead.thread.join();
    ahead.items.clear();
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
    const QByteArray bytes = BuiltInBytes(QStringLiteral("%1.png").arg(id));
    return dib.DecodePng(reinterpret_cast<const uint8_t*>(bytes.constData()),
                         static_cast<size_t>(bytes.size()));
}

QImage SkinManager::Background(const std::u16string& skinPath) {
    IniFile document;
    QImage image;
    if (!skinPath.empty() && document.Load(skinPath))
        image = FileImage(SkinImagePath(document, skinPath, u"Main", u"Main"));
    return image.isNull() ? BuiltInImage(QStringLiteral("130.png")) : image;
}

qreal SkinManager::PixelRatio() {
    if (State().pixelRatio > 0)
        return State().pixelRatio;
    return qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
}

void SkinManager::SetPixelRatio(qreal ratio) {
    State().pixelRatio = ratio;
}
