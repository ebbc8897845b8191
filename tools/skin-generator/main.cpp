// Draws the built-in skin: one PNG per image id into a folder (skin-generator OUTPUT_FOLDER), and
// the same pictures at twice the size for high-density screens (<id>@2x.png). Everything is drawn
// in the 1x coordinates; at 2x the painter scales, so the shapes and text are drawn at the finer
// resolution rather than enlarged.
//
// Every control draws its cells opaque, so a cell's background must be what lies around the
// control: cells of main-view controls start from the main background at the control's place,
// cells of the display panel from the panel's glass colour.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

namespace {

// The palette: graphite panels, one cyan accent, light text.
const QColor kBase(0x18, 0x1b, 0x20);
const QColor kPanel(0x21, 0x25, 0x2b);
const QColor kPanelEdgeLight(0x2e, 0x33, 0x3b);
const QColor kPanelEdgeDark(0x0f, 0x11, 0x14);
const QColor kWell(0x10, 0x13, 0x17);
const QColor kFaceTop(0x37, 0x3d, 0x46);
const QColor kFaceBottom(0x2a, 0x2f, 0x36);
const QColor kFacePressedTop(0x1c, 0x20, 0x25);
const QColor kFacePressedBottom(0x25, 0x29, 0x2f);
const QColor kFaceDisabled(0x26, 0x2a, 0x30);
const QColor kFaceBorder(0x0c, 0x0e, 0x11);
const QColor kFaceHighlight(0x48, 0x4f, 0x5a);
const QColor kText(0xe6, 0xe9, 0xee);
const QColor kTextDim(0x93, 0x9a, 0xa5);
const QColor kTextDisabled(0x55, 0x5b, 0x64);
const QColor kAccent(0x38, 0xcc, 0xe2);
const QColor kAccentDeep(0x1b, 0x7f, 0x93);
const QColor kAccentLight(0xb8, 0xf3, 0xfb);
const QColor kWarm(0xff, 0xa3, 0x48);
const QColor kGlass(0x0c, 0x14, 0x19);
const QColor kGlassEdge(0x26, 0x37, 0x40);
const QColor kGhost(0x15, 0x23, 0x2a);
const QColor kGlassLabel(0x4f, 0x6f, 0x7a);
const QColor kGridLine(0x10, 0x1b, 0x21);
const QColor kLcdBezel(0x0b, 0x0d, 0x10);

// Device pixels per skin pixel of the pictures being drawn: 1 or 2.
int g_scale = 1;

QImage NewImage(int width, int height, const QColor& fill) {
    QImage image(width * g_scale, height * g_scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(g_scale);
    image.fill(fill);
    return image;
}

// The part `r` (in skin pixels) of a picture drawn by NewImage.
QImage Crop(const QImage& image, const QRect& r) {
    QImage part = image.copy(QRect(r.topLeft() * g_scale, r.size() * g_scale));
    part.setDevicePixelRatio(g_scale);
    return part;
}

// The size of a picture in skin pixels.
int LogicalWidth(const QImage& image) {
    return image.width() / g_scale;
}

int LogicalHeight(const QImage& image) {
    return image.height() / g_scale;
}

void Smooth(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QFont Font(int pixelSize, bool bold = true, qreal spacing = 0) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    if (spacing != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return font;
}

QColor Mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// A raised panel with a light top edge and a dark bottom edge.
void DrawPanel(QPainter& p, const QRectF& r, qreal radius, const QColor& fill) {
    p.setPen(Qt::NoPen);
    p.setBrush(kPanelEdgeDark);
    p.drawRoundedRect(r.adjusted(0, 1, 0, 1), radius, radius);
    p.setBrush(kPanelEdgeLight);
    p.drawRoundedRect(r, radius, radius);
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0, 1, 0, 0), radius, radius);
}

// A sunken well with a dark rim.
void DrawWell(QPainter& p, const QRectF& r, qreal radius, const QColor& fill) {
    p.setPen(Qt::NoPen);
    p.setBrush(kPanelEdgeLight);
    p.drawRoundedRect(r.adjusted(0, 0, 0, 1), radius, radius);
    p.setBrush(kPanelEdgeDark);
    p.drawRoundedRect(r, radius, radius);
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(1, 1, -1, 0), radius - 1, radius - 1);
}

// ---------------------------------------------------------------------------------------------
// Icons: each draws into a square-ish box in one colour.

using Icon = std::function<void(QPainter&, const QRectF&, const QColor&)>;

QPainterPath Triangle(QPointF a, QPointF b, QPointF c) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

void Fill(QPainter& p, const QPainterPath& path, const QColor& c) {
    p.setPen(QPen(c, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c);
    p.drawPath(path);
}

QPen Stroke(const QColor& c, qreal width) {
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void IconPlay(QPainter& p, const QRectF& b, const QColor& c) {
    const qreal h = b.height();
    const qreal w = h * 0.9;
    const qreal x = b.center().x() - w * 0.4;
    Fill(p, Triangle({x, b.top()}, {x + w, b.center().y()}, {x, b.bottom()}), c);
}

void IconPause(QPainter& p, const QRectF& b, const QColor& c) {
    const qreal w = b.height() * 0.3;
    const qreal gap = b.height() * 0.28;
    QPainterPath path;
    path.addRoundedRect(QRectF(b.center().x() - gap / 2 - w, b.top(), w, b.height()), 1.5, 1.5);
    path.addRoundedRect(QRectF(b.center().x() + gap / 2, b.top(), w, b.height()), 1.5, 1.5);
    Fill(p, path, c);
}

void IconStop(QPainter& p, const QRectF& b, const QColor& c) {
    const qreal s = b.height() * 0.86;
    QPainterPath path;
    path.addRoundedRect(QRectF(b.center().x() - s / 2, b.center().y() - s / 2, s, s), 2, 2);
    Fill(p, path, c);
}

void IconSkip(QPainter& p, const QRectF& b, const QColor& c, bool forward) {
    const qreal h = b.height();
    const qreal tw = h * 0.62;
    const qreal bar = h * 0.2;
    const qreal total = tw * 2 - h * 0.1 + bar;
    const qreal left = b.center().x() - total / 2;
    QPainterPath path;
    if (forward) {
        path.addPath(Triangle({left, b.top()}, {left + tw, b.center().y()}, {left, b.bottom()}));
        const qreal x2 = left + tw - h * 0.1;
        path.addPath(Triangle({x2, b.top()}, {x2 + tw, b.center().y()}, {x2, b.bottom()}));
        path.addRoundedRect(QRectF(left + total - bar, b.top(), bar, h), 1, 1);
    } else {
        path.addRoundedRect(QRectF(left, b.top(), bar, h), 1, 1);
        const qreal x1 = left + bar + tw;
        path.addPath(Triangle({x1, b.top()}, {x1 - tw, b.center().y()}, {x1, b.bottom()}));
        const qreal x2 = x1 + tw - h * 0.1;
        path.addPath(Triangle({x2, b.top()}, {x2 - tw, b.center().y()}, {x2, b.bottom()}));
    }
    Fill(p, path.simplified(), c);
}

void IconPrevious(QPainter& p, const QRectF& b, const QColor& c) {
    IconSkip(p, b, c, false);
}

void IconNext(QPainter& p, const QRectF& b, const QColor& c) {
    IconSkip(p, b, c, true);
}

void IconEject(QPainter& p, const QRectF& b, const QColor& c) {
    const qreal h = b.height();
    const qreal w = h * 1.1;
    const qreal x = b.center().x() - w / 2;
    QPainterPath path =
        Triangle({x, b.top() + h * 0.6}, {x + w / 2, b.top()}, {x + w, b.top() + h * 0.6});
    path.addRoundedRect(QRectF(x, b.top() + h * 0.76, w, h * 0.24), 1, 1);
    Fill(p, path, c);
}

void IconPower(QPainter& p, const QRectF& b, const QColor& c) {
    const qreal s = b.height();
    const QRectF ring(b.center().x() - s / 2, b.top() + s * 0.06, s, s);
    p.setPen(Stroke(c, 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(ring.adjusted(2, 2, -2, -2), (90 + 40) * 16, 280 * 16);
    p.drawLine(QPointF(b.center().x(), b.top()), QPointF(b.center().x(), b.top() + s * 0.5));
}

void ArrowHead(QPainter& p, QPointF tip, qreal angleDegrees, qreal size, const QColor& c) {
    const qreal a = angleDegrees * M_PI / 180;
    const QPointF back(std::cos(a + M_PI) * size, std::sin(a + M_PI) * size);
    const QPointF side(std::cos(a + M_PI / 2) * size * 0.6, std::sin(a + M_PI / 2) * size * 0.6);
    Fill(p, Triangle(tip, tip + back + side, tip + back - side), c);
}

void IconShuffle(QPainter& p, const QRectF& b, const QColor& c) {
    const qreal l = b.left();
    const qreal r = b.right() - 4;
    const qreal t = b.top() + 3;
    const qreal d = b.bottom() - 3;
    p.setPen(Stroke(c, 2));
    p.setBrush(Qt::NoBrush);
    QPainterPath one;
    one.moveTo(l, t);
    one.cubicTo(l + (r - l) * 0.55, t, l + (r - l) * 0.45, d, r, d);
    QPainterPath two;
    two.moveTo(l, d);
    two.cubicTo(l + (r - l) * 0.55, d, l + (r - l) * 0.45, t, r, t);
    p.drawPath(one);
    p.drawPath(two);
    ArrowHead(p, {r + 4, t}, 0, 5, c);
    ArrowHead(p, {r + 4, d}, 0, 5, c);
}

void IconRepeat(QPainter& p, const QRectF& b, const QColor& c) {
    // Two arrows chasing each other round a rounded loop.
    const QRectF loop = b.adjusted(1, 1.5, -1, -1.5);
    const qreal r = 4;
    p.setPen(Stroke(c, 2));
    p.setBrush(Qt::NoBrush);
    QPainterPath top;
    top.moveTo(loop.left(), loop.center().y() + 1);
    top.lineTo(loop.left(), loop.top() + r);
    top.quadTo(loop.topLeft(), {loop.left() + r, loop.top()});
    top.lineTo(loop.right() - 5, loop.top());
    p.drawPath(top);
    QPainterPath bottom;
    bottom.moveTo(loop.right(), loop.center().y() - 1);
    bottom.lineTo(loop.right(), loop.bottom() - r);
    bottom.quadTo(loop.bottomRight(), {loop.right() - r, loop.bottom()});
    bottom.lineTo(loop.left() + 5, loop.bottom());
    p.drawPath(bottom);
    ArrowHead(p, {loop.right() + 0.5, loop.top()}, 0, 5, c);
    ArrowHead(p, {loop.left() - 0.5, loop.bottom()}, 180, 5, c);
}

void IconSpeed(QPainter& p, const QRectF& b, const QColor& c) {
    const qreal s = b.width();
    const QRectF dial(b.center().x() - s / 2, b.bottom() - s * 0.62, s, s);
    p.setPen(Stroke(c, 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(dial.adjusted(1, 1, -1, -1), 10 * 16, 160 * 16);
    const QPointF hub(dial.center().x(), dial.center().y() - 1);
    p.drawLine(hub, hub + QPointF(s * 0.3, -s * 0.28));
    p.setBrush(c);
    p.drawEllipse(hub, 2, 2);
}

void IconAtoB(QPainter& p, const QRectF& b, const QColor& c) {
    // Two markers with the stretch between them.
    p.setPen(Stroke(c, 2));
    p.drawLine(QPointF(b.left() + 1, b.top()), QPointF(b.left() + 1, b.bottom()));
    p.drawLine(QPointF(b.right() - 1, b.top()), QPointF(b.right() - 1, b.bottom()));
    const qreal y = b.center().y();
    p.setPen(Stroke(c, 1.6));
    p.drawLine(QPointF(b.left() + 4, y), QPointF(b.right() - 8, y));
    ArrowHead(p, {b.right() - 4, y}, 0, 4, c);
}

void IconPlaylist(QPainter& p, const QRectF& b, const QColor& c) {
    p.setPen(Stroke(c, 2));
    for (int i = 0; i < 3; ++i) {
        const qreal y = b.top() + 3 + i * (b.height() - 6) / 2;
        p.setBrush(c);
        p.drawEllipse(QPointF(b.left() + 2, y), 1.3, 1.3);
        p.drawLine(QPointF(b.left() + 7, y), QPointF(b.right() - (i == 2 ? 6 : 0), y));
    }
    Fill(p,
         Triangle({b.right() - 4, b.bottom() - 5}, {b.right() + 1, b.bottom() - 1.5},
                  {b.right() - 4, b.bottom() + 2}),
         c);
}

void IconMinimise(QPainter& p, const QRectF& b, const QColor& c) {
    p.setPen(Stroke(c, 2.2));
    p.drawLine(QPointF(b.left(), b.bottom() - 1), QPointF(b.right(), b.bottom() - 1));
}

void IconQuit(QPainter& p, const QRectF& b, const QColor& c) {
    p.setPen(Stroke(c, 2.2));
    p.drawLine(b.topLeft(), b.bottomRight());
    p.drawLine(b.topRight(), b.bottomLeft());
}

void IconFolder(QPainter& p, const QRectF& b, const QColor& c) {
    p.setPen(Stroke(c, 1.8));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(b.left(), b.bottom());
    path.lineTo(b.left(), b.top());
    path.lineTo(b.left() + b.width() * 0.38, b.top());
    path.lineTo(b.left() + b.width() * 0.5, b.top() + b.height() * 0.2);
    path.lineTo(b.right(), b.top() + b.height() * 0.2);
    path.lineTo(b.right(), b.bottom());
    path.closeSubpath();
    p.drawPath(path);
}

void IconSave(QPainter& p, const QRectF& b, const QColor& c) {
    p.setPen(Stroke(c, 1.8));
    p.setBrush(Qt::NoBrush);
    const qreal x = b.center().x();
    p.drawLine(QPointF(x, b.top()), QPointF(x, b.bottom() - 5));
    p.drawLine(QPointF(x - 4, b.bottom() - 9), QPointF(x, b.bottom() - 5));
    p.drawLine(QPointF(x + 4, b.bottom() - 9), QPointF(x, b.bottom() - 5));
    p.drawLine(QPointF(b.left(), b.bottom()), QPointF(b.right(), b.bottom()));
}

void IconAdd(QPainter& p, const QRectF& b, const QColor& c) {
    p.setPen(Stroke(c, 2.2));
    p.drawLine(QPointF(b.center().x(), b.top()), QPointF(b.center().x(), b.bottom()));
    p.drawLine(QPointF(b.left(), b.center().y()), QPointF(b.right(), b.center().y()));
}

void IconDelete(QPainter& p, const QRectF& b, const QColor& c) {
    p.setPen(Stroke(c, 2.2));
    p.drawLine(QPointF(b.left(), b.center().y()), QPointF(b.right(), b.center().y()));
}

void IconCheck(QPainter& p, const QRectF& b, const QColor& c) {
    p.setPen(Stroke(c, 2.2));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(b.left(), b.center().y());
    path.lineTo(b.left() + b.width() * 0.38, b.bottom());
    path.lineTo(b.right(), b.top());
    p.drawPath(path);
}

// ---------------------------------------------------------------------------------------------
// Keys: the face of a push button or toggle in one cell.

enum class Look { Normal, Focused, Disabled };

// The face rectangle of a key in a cell; pressed faces sit one pixel lower.
QRectF KeyFace(const QRectF& cell, bool pressed) {
    QRectF face = cell.adjusted(2.5, 2.5, -2.5, -3.5);
    return pressed ? face.translated(0, 1) : face;
}

void DrawKey(QPainter& p, const QRectF& cell, Look look, bool pressed) {
    const qreal radius = std::min(8.0, cell.height() / 4);
    const QRectF face = KeyFace(cell, pressed);
    p.setPen(Qt::NoPen);
    if (!pressed && look != Look::Disabled) {
        p.setBrush(QColor(0, 0, 0, 110));
        p.drawRoundedRect(face.translated(0, 1.5), radius, radius);
    }
    p.setBrush(kFaceBorder);
    p.drawRoundedRect(face, radius, radius);
    const QRectF inner = face.adjusted(1, 1, -1, -1);
    if (look == Look::Disabled) {
        p.setBrush(kFaceDisabled);
        p.drawRoundedRect(inner, radius - 1, radius - 1);
    } else {
        QLinearGradient g(inner.topLeft(), inner.bottomLeft());
        g.setColorAt(0, pressed ? kFacePressedTop : kFaceTop);
        g.setColorAt(1, pressed ? kFacePressedBottom : kFaceBottom);
        p.setBrush(g);
        p.drawRoundedRect(inner, radius - 1, radius - 1);
        if (!pressed) {
            p.setPen(QPen(kFaceHighlight, 1));
            p.setBrush(Qt::NoBrush);
            p.drawLine(QPointF(inner.left() + radius, inner.top() + 0.5),
                       QPointF(inner.right() - radius, inner.top() + 0.5));
            p.setPen(Qt::NoPen);
        }
    }
    if (look == Look::Focused) {
        p.setPen(QPen(kAccent, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(face.adjusted(0.8, 0.8, -0.8, -0.8), radius - 0.5, radius - 0.5);
        p.setPen(Qt::NoPen);
    }
}

QColor IconColor(Look look, bool pressed, bool primary) {
    if (look == Look::Disabled)
        return kTextDisabled;
    if (pressed)
        return kAccentLight;
    return primary ? kAccent : kText;
}

// The cell background of a control: the picture that lies under it, or a flat colour.
struct Backdrop {
    const QImage* image = nullptr;
    QPoint place;
    QColor color = kPanel;

    void Paint(QPainter& p, const QRect& cell) const {
        if (image != nullptr)
            p.drawImage(cell.topLeft(), Crop(*image, QRect(place, cell.size())));
        else
            p.fillRect(cell, color);
    }
};

// An image button: `looks` gives the look of each column; row 0 released, row 1 pressed.
QImage ButtonImage(int width, int height, const std::vector<Look>& looks, const Backdrop& back,
                   const Icon& icon, qreal iconHeight, const QString& label = {},
                   bool primary = false) {
    QImage image = NewImage(width, height, kPanel);
    QPainter p(&image);
    Smooth(p);
    const int cw = width / static_cast<int>(looks.size());
    const int ch = height / 2;
    for (int row = 0; row < 2; ++row) {
        for (size_t col = 0; col < looks.size(); ++col) {
            const QRect cell(static_cast<int>(col) * cw, row * ch, cw, ch);
            back.Paint(p, cell);
            const bool pressed = row == 1;
            DrawKey(p, cell, looks[col], pressed);
            const QRectF face = KeyFace(cell, pressed);
            const QColor color = IconColor(looks[col], pressed, primary);
            if (label.isEmpty()) {
                const qreal iw = iconHeight * 1.3;
                icon(p,
                     QRectF(face.center().x() - iw / 2, face.center().y() - iconHeight / 2, iw,
                            iconHeight),
                     color);
            } else {
                const QFont font = Font(12, true, 1);
                const qreal textWidth = QFontMetricsF(font).horizontalAdvance(label);
                const qreal iw = icon ? iconHeight : 0;
                const qreal gap = icon ? 8 : 0;
                const qreal left = face.center().x() - (iw + gap + textWidth) / 2;
                if (icon)
                    icon(p, QRectF(left, face.center().y() - iconHeight / 2, iw, iconHeight),
                         color);
                p.setPen(color);
                p.setFont(font);
                p.drawText(QRectF(left + iw + gap, face.top(), textWidth + 4, face.height()),
                           Qt::AlignLeft | Qt::AlignVCenter, label);
            }
        }
    }
    return image;
}

// A toggle: columns on, on focused, off, off focused; row 0 released, row 1 pressed.
QImage ToggleImage(int width, int height, const Backdrop& back, const Icon& icon,
                   const QString& label) {
    QImage image = NewImage(width, height, kPanel);
    QPainter p(&image);
    Smooth(p);
    const int cw = width / 4;
    const int ch = height / 2;
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 4; ++col) {
            const QRect cell(col * cw, row * ch, cw, ch);
            back.Paint(p, cell);
            const bool pressed = row == 1;
            const bool on = col < 2;
            const Look look = (col % 2 == 1) ? Look::Focused : Look::Normal;
            DrawKey(p, cell, look, pressed);
            const QRectF face = KeyFace(cell, pressed);

            // The state light: a lit accent bar when on, a dark slot when off.
            const QRectF led(face.left() + 9, face.center().y() - 7, 4, 14);
            p.setPen(Qt::NoPen);
            if (on) {
                QRadialGradient glow(led.center(), 10);
                glow.setColorAt(0, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 110));
                glow.setColorAt(1, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
                p.setBrush(glow);
                p.drawEllipse(led.center(), 10, 10);
                p.setBrush(kAccent);
            } else {
                p.setBrush(QColor(0x12, 0x15, 0x19));
            }
            p.drawRoundedRect(led, 2, 2);

            const QColor color = on ? kText : kTextDim;
            const QFont font = Font(11, true, 0.8);
            const qreal textWidth = QFontMetricsF(font).horizontalAdvance(label);
            const qreal iw = 18;
            const qreal area = face.right() - 6 - (led.right() + 6);
            const qreal left = led.right() + 6 + (area - (iw + 7 + textWidth)) / 2;
            icon(p, QRectF(left, face.center().y() - 6.5, iw, 13), on ? kAccent : kTextDim);
            p.setPen(color);
            p.setFont(font);
            p.drawText(QRectF(left + iw + 7, face.top(), textWidth + 4, face.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, label);
        }
    }
    return image;
}

// ---------------------------------------------------------------------------------------------
// Seven-segment digits.

// Segments a..g of each digit (bit 0 = a, top; then clockwise; g middle).
constexpr int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

QPainterPath Segment(const QRectF& box, qreal t, int index) {
    const qreal l = box.left();
    const qreal r = box.right();
    const qreal top = box.top();
    const qreal bottom = box.bottom();
    const qreal mid = box.center().y();
    const qreal h = t / 2;
    const qreal gap = std::max(0.6, t * 0.18);
    QPainterPath path;
    auto horizontal = [&](qreal y) {
        path.moveTo(l + gap, y);
        path.lineTo(l + gap + h, y - h);
        path.lineTo(r - gap - h, y - h);
        path.lineTo(r - gap, y);
        path.lineTo(r - gap - h, y + h);
        path.lineTo(l + gap + h, y + h);
        path.closeSubpath();
    };
    auto vertical = [&](qreal x, qreal y0, qreal y1) {
        path.moveTo(x, y0 + gap);
        path.lineTo(x + h, y0 + gap + h);
        path.lineTo(x + h, y1 - gap - h);
        path.lineTo(x, y1 - gap);
        path.lineTo(x - h, y1 - gap - h);
        path.lineTo(x - h, y0 + gap + h);
        path.closeSubpath();
    };
    switch (index) {
    case 0:
        horizontal(top + h);
        break;
    case 1:
        vertical(r - h, top + h, mid);
        break;
    case 2:
        vertical(r - h, mid, bottom - h);
        break;
    case 3:
        horizontal(bottom - h);
        break;
    case 4:
        vertical(l + h, mid, bottom - h);
        break;
    case 5:
        vertical(l + h, top + h, mid);
        break;
    default:
        horizontal(mid);
        break;
    }
    return path;
}

// One digit (or -1 for all segments unlit) with a slight forward slant.
void DrawDigit(QPainter& p, const QRectF& box, int digit, qreal thickness, const QColor& lit,
               const QColor& ghost, bool glow) {
    p.save();
    QTransform slant;
    slant.translate(box.center().x(), box.center().y());
    slant.shear(-0.07, 0);
    slant.translate(-box.center().x(), -box.center().y());
    p.setTransform(slant, true);
    p.setPen(Qt::NoPen);
    const int mask = digit >= 0 ? kSegments[digit] : 0;
    for (int s = 0; s < 7; ++s) {
        const QPainterPath path = Segment(box, thickness, s);
        const bool on = (mask >> s) & 1;
        if (on && glow) {
            p.setPen(QPen(QColor(lit.red(), lit.green(), lit.blue(), 60), thickness * 0.9,
                          Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
            p.setPen(Qt::NoPen);
        }
        p.setBrush(on ? lit : ghost);
        p.drawPath(path);
    }
    p.restore();
}

// A strip of 11 cells: blank, then 0 to 9.
QImage DigitStrip(int width, int height, int cellWidth, const QMargins& inset, qreal thickness,
                  bool glow) {
    QImage image = NewImage(width, height, kGlass);
    QPainter p(&image);
    Smooth(p);
    for (int cell = 0; cell < 11; ++cell) {
        const QRectF box =
            QRectF(cell * cellWidth, 0, cellWidth, height)
                .adjusted(inset.left(), inset.top(), -inset.right(), -inset.bottom());
        DrawDigit(p, box, cell - 1, thickness, kAccent, kGhost, glow);
    }
    return image;
}

// ---------------------------------------------------------------------------------------------
// The main view.

// Control places of the main view, for cell backgrounds.
const QPoint kPowerPlace(24, 68);
const QPoint kVolumePlace(34, 132);
const QPoint kProgressPlace(24, 314);
const QPoint kTransportTop(0, 250);

void DrawWordmark(QPainter& p, const QPointF& at, int size, const QColor& color) {
    p.setFont(Font(size, true, size * 0.25));
    p.setPen(color);
    p.drawText(at, QStringLiteral("SONVALE"));
    const qreal width = QFontMetricsF(p.font()).horizontalAdvance(QStringLiteral("SONVALE"));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(at.x() + width + size * 0.2, at.y() - size * 0.32), size * 0.18,
                  size * 0.18);
}

QImage MainBackground() {
    QImage image = NewImage(480, 536, kBase);
    QPainter p(&image);
    Smooth(p);

    // The LCD text line sits in a dark bezel at the top.
    DrawWell(p, QRectF(11, 9, 458, 40), 7, kLcdBezel);

    // The instrument body: power, volume, display panel and the transport keys.
    DrawPanel(p, QRectF(12, 58, 456, 248), 10, kPanel);
    // A frame around the display panel (86,68 - 454,234).
    DrawWell(p, QRectF(83, 65, 374, 172), 8, kWell);
    // The volume slot and its label.
    DrawWell(p, QRectF(31, 124, 42, 104), 8, kWell);
    p.setFont(Font(9, true, 1.5));
    p.setPen(kTextDim);
    p.drawText(QRectF(24, 228, 56, 14), Qt::AlignCenter, QStringLiteral("VOL"));
    // A hairline above the transport row.
    p.setPen(QPen(kPanelEdgeDark, 1));
    p.drawLine(QPointF(22, 243.5), QPointF(458, 243.5));
    p.setPen(QPen(kPanelEdgeLight, 1));
    p.drawLine(QPointF(22, 244.5), QPointF(458, 244.5));

    // The frame of the meter window (24,350 - 456,452).
    DrawWell(p, QRectF(21, 347, 438, 108), 8, kWell);

    // The toggle row sits on a shallow tray.
    DrawPanel(p, QRectF(24, 460, 432, 50), 10, kPanel);

    DrawWordmark(p, QPointF(24, 528), 10, QColor(0x5d, 0x64, 0x6e));
    return image;
}

// The horizontal position track; the groove runs between the thumb's outermost centres. The
// thumb's cells start from the track without its scale, which the thumb covers as it moves.
QImage ProgressTrack(const QImage& main, bool withScale) {
    QImage image = Crop(main, QRect(kProgressPlace, QSize(432, 32)));
    QPainter p(&image);
    Smooth(p);
    DrawWell(p, QRectF(4, 12, 424, 8), 4, QColor(0x0a, 0x0c, 0x0f));
    if (!withScale)
        return image;
    p.setPen(QPen(QColor(0x3a, 0x40, 0x48), 1));
    for (int i = 0; i <= 10; ++i) {
        const qreal x = 24 + i * 38.4;
        p.drawLine(QPointF(x, 25.5), QPointF(x, i % 5 == 0 ? 30 : 28));
    }
    return image;
}

// The vertical volume track.
QImage VolumeTrack(const QImage& main) {
    QImage image = Crop(main, QRect(kVolumePlace, QSize(36, 92)));
    QPainter p(&image);
    Smooth(p);
    DrawWell(p, QRectF(15, 4, 6, 84), 3, QColor(0x0a, 0x0c, 0x0f));
    return image;
}

// Slider thumbs: columns normal, focused, disabled; rows idle, dragging. The cell starts from
// the middle of the track, so the groove continues under the knob's corners.
QImage Thumb(const QImage& track, int cellWidth, int cellHeight, bool horizontal) {
    QImage image = NewImage(cellWidth * 3, cellHeight * 2, kPanel);
    QPainter p(&image);
    Smooth(p);
    const QRect source =
        horizontal ? QRect(LogicalWidth(track) / 2 - cellWidth / 2, 0, cellWidth, cellHeight)
                   : QRect(0, LogicalHeight(track) / 2 - cellHeight / 2, cellWidth, cellHeight);
    const QImage under = Crop(track, source);
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRect cell(col * cellWidth, row * cellHeight, cellWidth, cellHeight);
            p.drawImage(cell.topLeft(), under);
            const bool dragging = row == 1;
            const QPointF c = QRectF(cell).center();
            const QRectF knob = horizontal ? QRectF(c.x() - 13, c.y() - 11, 26, 22)
                                           : QRectF(c.x() - 14, c.y() - 9, 28, 18);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0, 0, 0, 120));
            p.drawRoundedRect(knob.translated(0, 1.5), 7, 7);
            p.setBrush(kFaceBorder);
            p.drawRoundedRect(knob, 7, 7);
            QLinearGradient g(knob.topLeft(), knob.bottomLeft());
            if (col == 2) {
                g.setColorAt(0, kFaceDisabled);
                g.setColorAt(1, kFaceDisabled);
            } else {
                g.setColorAt(0, dragging ? QColor(0x44, 0x4b, 0x55) : kFaceTop);
                g.setColorAt(1, dragging ? QColor(0x33, 0x39, 0x41) : kFaceBottom);
            }
            p.setBrush(g);
            p.drawRoundedRect(knob.adjusted(1, 1, -1, -1), 6, 6);
            if (col == 1) {
                p.setPen(QPen(kAccent, 1.6));
                p.setBrush(Qt::NoBrush);
                p.drawRoundedRect(knob.adjusted(0.8, 0.8, -0.8, -0.8), 6.5, 6.5);
                p.setPen(Qt::NoPen);
            }
            // The grip: an accent line across the knob, dim when disabled.
            const QColor grip = col == 2 ? kTextDisabled : (dragging ? kAccentLight : kAccent);
            p.setPen(Stroke(grip, 2.4));
            if (horizontal)
                p.drawLine(QPointF(c.x(), knob.top() + 6), QPointF(c.x(), knob.bottom() - 6));
            else
                p.drawLine(QPointF(knob.left() + 7, c.y()), QPointF(knob.right() - 7, c.y()));
        }
    }
    return image;
}

// ---------------------------------------------------------------------------------------------
// The display panel and its indicators.

void GlassLabel(QPainter& p, const QRectF& r, const QString& text, Qt::Alignment align) {
    p.setFont(Font(8, true, 1));
    p.setPen(kGlassLabel);
    p.drawText(r, align, text);
}

QImage DisplayPanel() {
    QImage image = NewImage(370, 168, kGlass);
    QPainter p(&image);
    Smooth(p);
    // The panel window is 368 x 166; the edge is drawn inside that.
    p.setPen(QPen(kGlassEdge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, 367, 165), 6, 6);

    GlassLabel(p, QRectF(14, 12, 90, 12), QStringLiteral("TRACK"), Qt::AlignLeft);
    GlassLabel(p, QRectF(110, 12, 120, 12), QStringLiteral("TIME"), Qt::AlignLeft);
    GlassLabel(p, QRectF(292, 34, 40, 12), QStringLiteral("kHz"), Qt::AlignLeft);
    GlassLabel(p, QRectF(292, 66, 40, 12), QStringLiteral("kbps"), Qt::AlignLeft);

    // The colon between minutes and seconds.
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(170.5, 45), 2.4, 2.4);
    p.drawEllipse(QPointF(169.5, 62), 2.4, 2.4);

    // A hairline between the numbers and the meter.
    p.setPen(QPen(kGlassEdge, 1));
    p.drawLine(QPointF(10, 86.5), QPointF(272, 86.5));

    // Meter: channel letters and a scale between the two bars (segments of 8 pixels from x 30).
    GlassLabel(p, QRectF(12, 94, 14, 12), QStringLiteral("L"), Qt::AlignCenter);
    GlassLabel(p, QRectF(12, 136, 14, 12), QStringLiteral("R"), Qt::AlignCenter);
    for (int s = 0; s <= 30; s += 3) {
        const qreal x = 30 + s * 8 - 1;
        p.setPen(QPen(s >= 24 ? kWarm.darker(180) : kGlassLabel, 1));
        p.drawLine(QPointF(x + 0.5, 112), QPointF(x + 0.5, 114.5));
        p.drawLine(QPointF(x + 0.5, 127.5), QPointF(x + 0.5, 130));
    }
    p.setFont(Font(7, false));
    p.setPen(kGlassLabel);
    for (int s = 0; s <= 30; s += 6) {
        p.drawText(QRectF(30 + s * 8 - 11, 115.5, 20, 11), Qt::AlignCenter,
                   QString::number(s * 100 / 30));
    }
    return image;
}

// VU strip: 30 segments of 8 pixels; top half unlit, bottom half lit.
QImage VuStrip() {
    QImage image = NewImage(242, 36, kGlass);
    QPainter p(&image);
    Smooth(p);
    p.setPen(Qt::NoPen);
    for (int half = 0; half < 2; ++half) {
        for (int s = 0; s < 30; ++s) {
            const bool warm = s >= 24;
            const QColor lit = warm ? kWarm : Mix(kAccentDeep, kAccent, std::min(1.0, s / 14.0));
            const QColor color = half == 1 ? lit : Mix(kGlass, lit, 0.16);
            p.setBrush(color);
            p.drawRoundedRect(QRectF(s * 8 + 0.5, half * 18 + 3, 6, 12), 1.2, 1.2);
        }
    }
    return image;
}

// Play state: four rows of 14 x 22: stop, play, pause, and an unlit row.
QImage PlayStatus() {
    QImage image = NewImage(14, 88, kGlass);
    QPainter p(&image);
    Smooth(p);
    const QRectF boxes[4] = {QRectF(2.5, 6.5, 9, 9), QRectF(2.5, 28.5, 9, 10),
                             QRectF(2.5, 50.5, 9, 10), QRectF(2.5, 72.5, 9, 10)};
    IconStop(p, boxes[0], kAccent);
    IconPlay(p, boxes[1].adjusted(0.5, 0, 0, 0), kAccent);
    IconPause(p, boxes[2], kAccent);
    IconPlay(p, boxes[3].adjusted(0.5, 0, 0, 0), kGhost);
    return image;
}

// Audio quality: top row lit (stereo), bottom row unlit.
QImage AudioQuality() {
    QImage image = NewImage(22, 28, kGlass);
    QPainter p(&image);
    Smooth(p);
    for (int row = 0; row < 2; ++row) {
        const QColor c = row == 0 ? kAccent : kGhost;
        p.setPen(QPen(c, 1.6));
        p.setBrush(Qt::NoBrush);
        const qreal y = row * 14 + 7;
        p.drawEllipse(QPointF(8, y), 4.6, 4.6);
        p.drawEllipse(QPointF(14, y), 4.6, 4.6);
    }
    return image;
}

// Hold: top row off, bottom row on.
QImage Hold() {
    QImage image = NewImage(46, 28, kGlass);
    QPainter p(&image);
    Smooth(p);
    for (int row = 0; row < 2; ++row) {
        const QColor c = row == 1 ? kWarm : kGhost;
        const qreal y = row * 14;
        // A padlock, then the word.
        p.setPen(QPen(c, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, y + 2, 6, 7), 0, 180 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(2, y + 6, 8, 6), 1, 1);
        p.setFont(Font(9, true, 0.6));
        p.setPen(c);
        p.drawText(QRectF(12, y, 34, 14), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("HOLD"));
    }
    return image;
}

// The speaker: five frames of 80 x 78; frame 0 at rest, 1 to 4 sound waves growing.
QImage Speaker() {
    QImage image = NewImage(400, 78, kGlass);
    QPainter p(&image);
    Smooth(p);
    for (int frame = 0; frame < 5; ++frame) {
        const qreal ox = frame * 80;
        const QPointF c(ox + 30, 39);
        QPainterPath body;
        body.moveTo(c.x() - 14, c.y() - 7);
        body.lineTo(c.x() - 6, c.y() - 7);
        body.lineTo(c.x() + 5, c.y() - 17);
        body.lineTo(c.x() + 5, c.y() + 17);
        body.lineTo(c.x() - 6, c.y() + 7);
        body.lineTo(c.x() - 14, c.y() + 7);
        body.closeSubpath();
        const QColor bodyColor = frame == 0 ? kTextDim : kAccent;
        p.setPen(QPen(bodyColor, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(frame == 0 ? QColor(0x2a, 0x31, 0x38) : kAccentDeep);
        p.drawPath(body);
        for (int wave = 0; wave < 3; ++wave) {
            const qreal r = 9 + wave * 7;
            QColor color = kGhost;
            if (frame > 0 && wave < frame)
                color = wave == frame - 1 && frame < 4 ? kAccentLight : kAccent;
            if (frame == 4)
                color = kAccent;
            p.setPen(Stroke(color, 2.2));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(c.x() + 5 - r, c.y() - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
        }
    }
    return image;
}

// ---------------------------------------------------------------------------------------------
// The meter window.

QImage Board(int height) {
    QImage image = NewImage(432, height, kGlass);
    QPainter p(&image);
    Smooth(p);
    p.setPen(QPen(kGlassEdge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, 431, height - 1), 7, 7);
    QLinearGradient sheen(0, 1, 0, height * 0.5);
    sheen.setColorAt(0, QColor(255, 255, 255, 10));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawRoundedRect(QRectF(1.5, 1.5, 429, height * 0.5), 6, 6);
    return image;
}

// Rows counted from the bottom that stay dark in the bar strip, as the lines of the panel.
bool IsGapRow(int rowFromBottom) {
    return rowFromBottom % 3 == 2;
}

QImage SpectrumPanel() {
    QImage image = NewImage(424, 94, kGlass);
    QPainter p(&image);
    for (int r = 0; r < 94; ++r) {
        if (IsGapRow(r))
            p.fillRect(QRect(0, 93 - r, 424, 1), kGridLine);
    }
    return image;
}

QImage BarStrip() {
    QImage image = NewImage(20, 94, kGlass);
    QPainter p(&image);
    for (int r = 0; r < 94; ++r) {
        const qreal t = r / 93.0;
        QColor color = t < 0.6 ? Mix(kAccentDeep, kAccent, t / 0.6)
                               : Mix(kAccent, kAccentLight, (t - 0.6) / 0.4);
        if (IsGapRow(r))
            color = kGridLine;
        p.fillRect(QRect(0, 93 - r, 20, 1), color);
    }
    return image;
}

// ---------------------------------------------------------------------------------------------
// The playlist dialog and the title picture.

QImage PlaylistBackground() {
    QImage image = NewImage(480, 536, kBase);
    QPainter p(&image);
    Smooth(p);
    // A tool tray at the top, the list well, a tray of closing keys at the bottom.
    DrawPanel(p, QRectF(12, 6, 456, 60), 10, kPanel);
    DrawWell(p, QRectF(21, 73, 438, 384), 6, kWell);
    DrawPanel(p, QRectF(12, 464, 456, 60), 10, kPanel);
    return image;
}

QImage Title() {
    QImage image = NewImage(470, 50, kBase);
    QPainter p(&image);
    Smooth(p);
    DrawPanel(p, QRectF(2, 4, 466, 42), 9, kPanel);
    DrawWordmark(p, QPointF(18, 31), 14, kText);
    return image;
}

// The knob of the dialogs' small sliders: they sit on white.
QImage Knob() {
    QImage image = NewImage(22, 22, Qt::white);
    QPainter p(&image);
    Smooth(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawEllipse(QPointF(11, 11.8), 10, 10);
    QLinearGradient g(0, 1, 0, 21);
    g.setColorAt(0, QColor(0x3b, 0x41, 0x4a));
    g.setColorAt(1, QColor(0x23, 0x27, 0x2d));
    p.setBrush(g);
    p.setPen(QPen(QColor(0x14, 0x16, 0x1a), 1));
    p.drawEllipse(QPointF(11, 11), 9.5, 9.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(11, 11), 3.2, 3.2);
    return image;
}

// ---------------------------------------------------------------------------------------------

std::map<int, QImage> DrawAll() {
    std::map<int, QImage> images;
    const QImage main = MainBackground();
    images[130] = main;

    auto at = [&main](int x, int y) { return Backdrop{&main, QPoint(x, y), kPanel}; };
    const std::vector<Look> three{Look::Normal, Look::Focused, Look::Disabled};
    const std::vector<Look> two{Look::Normal, Look::Focused};
    const std::vector<Look> one{Look::Normal};

    images[176] = ButtonImage(116, 88, two, at(kPowerPlace.x(), kPowerPlace.y()), IconPower, 18);
    const int y = kTransportTop.y();
    images[131] = ButtonImage(156, 96, three, at(32, y), IconPrevious, 13);
    images[134] = ButtonImage(366, 96, three, at(86, y), IconPlay, 20, {}, true);
    images[136] = ButtonImage(156, 96, three, at(210, y), IconPause, 15);
    images[133] = ButtonImage(156, 96, three, at(264, y), IconStop, 15);
    images[146] = ButtonImage(156, 96, three, at(318, y), IconNext, 13);
    images[135] = ButtonImage(148, 96, two, at(372, y), IconEject, 16);

    images[158] = ToggleImage(536, 76, at(32, 466), IconShuffle, QStringLiteral("SHUFFLE"));
    images[159] = ToggleImage(488, 76, at(168, 466), IconRepeat, QStringLiteral("REPEAT"));
    images[252] = ToggleImage(536, 76, at(32, 466), IconSpeed, QStringLiteral("SPEED"));
    images[253] = ToggleImage(488, 76, at(168, 466), IconAtoB, QStringLiteral("A-B"));
    images[160] = ToggleImage(624, 76, at(292, 466), IconPlaylist, QStringLiteral("PLAYLIST"));

    images[139] = ProgressTrack(main, true);
    images[140] = Thumb(ProgressTrack(main, false), 48, 32, true);
    images[138] = VolumeTrack(main);
    images[137] = Thumb(images[138], 36, 24, false);

    images[242] = Title();
    images[243] = ButtonImage(40, 76, one, at(386, 10), IconMinimise, 10);
    images[244] = ButtonImage(40, 76, one, at(430, 10), IconQuit, 10);

    const QImage playlist = PlaylistBackground();
    images[163] = playlist;
    const Backdrop tray{nullptr, QPoint(), kPanel};
    images[209] = ButtonImage(360, 96, three, tray, IconPlay, 12, QStringLiteral("PLAY"), true);
    images[166] = ButtonImage(306, 96, three, tray, IconFolder, 12, QStringLiteral("OPEN"));
    images[167] = ButtonImage(306, 96, three, tray, IconSave, 12, QStringLiteral("SAVE"));
    images[170] = ButtonImage(306, 96, three, tray, IconAdd, 11, QStringLiteral("ADD"));
    images[171] = ButtonImage(306, 96, three, tray, IconDelete, 11, QStringLiteral("DELETE"));
    images[172] = ButtonImage(360, 96, three, tray, IconCheck, 11, QStringLiteral("APPLY"));
    images[173] = ButtonImage(360, 96, three, tray, IconQuit, 9, QStringLiteral("CLOSE"));

    images[145] = DisplayPanel();
    images[141] = DigitStrip(330, 48, 30, QMargins(5, 4, 5, 4), 4.6, true);
    images[142] = DigitStrip(134, 18, 12, QMargins(2, 1, 2, 1), 2.0, false);
    images[143] = AudioQuality();
    images[144] = PlayStatus();
    images[153] = VuStrip();
    images[245] = Hold();
    images[152] = Speaker();

    images[150] = SpectrumPanel();
    images[149] = BarStrip();
    images[330] = Board(270);
    images[329] = Board(162);
    images[328] = Board(102);
    images[335] = Knob();
    return images;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin-generator OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int scale : {1, 2}) {
        g_scale = scale;
        const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
        for (const auto& [id, image] : DrawAll()) {
            const QString path = folder + QStringLiteral("/%1%2.png").arg(id).arg(suffix);
            if (!image.save(path, "PNG", 0)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
