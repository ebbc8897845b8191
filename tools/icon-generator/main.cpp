// Draws the programs' icons for the desktop's hicolor theme: for each program an SVG and PNGs
// of the usual sizes, all from one description of shapes on a 256-unit square.
//   icon-generator OUTPUT_FOLDER
// writes OUTPUT_FOLDER/hicolor/scalable/apps/NAME.svg and OUTPUT_FOLDER/hicolor/NxN/apps/NAME.png.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cstdio>
#include <vector>

namespace {

// The palette of the built-in skin: graphite, one cyan accent.
const QColor kBaseTop(0x37, 0x3d, 0x46);
const QColor kBaseBottom(0x18, 0x1b, 0x20);
const QColor kEdge(0x0c, 0x0e, 0x11);
const QColor kAccent(0x38, 0xcc, 0xe2);
const QColor kAccentLight(0xb8, 0xf3, 0xfb);
const QColor kWarm(0xe2, 0x9a, 0x38);

// One shape: a rounded rectangle (radius r) or a circle (when `circle`), filled, or stroked when
// `stroke` is above 0.
struct Shape {
    double x, y, w, h, r;
    QColor color;
    double stroke = 0;
    bool circle = false;
};

struct Icon {
    const char* name;
    std::vector<Shape> shapes;
};

// The tile every icon stands on: a rounded square with a top-to-bottom gradient.
constexpr double kTile = 16, kTileSize = 224, kTileRadius = 48;

std::vector<Icon> Icons() {
    // Sonvale: a speaker ring over frequency bars.
    Icon player{"sonvale", {}};
    player.shapes.push_back({80, 44, 96, 96, 0, kAccent, 14, true});
    player.shapes.push_back({110, 74, 36, 36, 0, kAccentLight, 0, true});
    const double heights[] = {24, 44, 62, 44, 24};
    for (int i = 0; i < 5; ++i)
        player.shapes.push_back({58 + i * 30.0, 214 - heights[i], 20, heights[i], 4, kAccent});
    // Mantlery: a skin's cells, one being painted.
    Icon editor{"mantlery", {}};
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column)
            editor.shapes.push_back({52 + column * 80.0, 52 + row * 80.0, 72, 72, 10,
                                     row == 1 && column == 1 ? kWarm : kAccent});
    }
    editor.shapes.push_back({140, 140, 56, 56, 8, kAccentLight, 8});
    return {player, editor};
}

void PaintTile(QPainter& painter) {
    QLinearGradient gradient(0, kTile, 0, kTile + kTileSize);
    gradient.setColorAt(0, kBaseTop);
    gradient.setColorAt(1, kBaseBottom);
    painter.setPen(QPen(kEdge, 4));
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(kTile, kTile, kTileSize, kTileSize), kTileRadius, kTileRadius);
}

void Paint(QPainter& painter, const Shape& shape) {
    const QRectF rect(shape.x, shape.y, shape.w, shape.h);
    if (shape.stroke > 0) {
        painter.setPen(QPen(shape.color, shape.stroke));
        painter.setBrush(Qt::NoBrush);
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(shape.color);
    }
    if (shape.circle)
        painter.drawEllipse(rect);
    else
        painter.drawRoundedRect(rect, shape.r, shape.r);
}

QImage Render(const Icon& icon, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);
    PaintTile(painter);
    for (const Shape& shape : icon.shapes)
        Paint(painter, shape);
    return image;
}

QString Svg(const Icon& icon) {
    QString svg =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                       "viewBox=\"0 0 256 256\">\n"
                       "  <defs><linearGradient id=\"tile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
                       "<stop offset=\"0\" stop-color=\"%1\"/><stop offset=\"1\" "
                       "stop-color=\"%2\"/></linearGradient></defs>\n"
                       "  <rect x=\"%3\" y=\"%3\" width=\"%4\" height=\"%4\" rx=\"%5\" "
                       "fill=\"url(#tile)\" stroke=\"%6\" stroke-width=\"4\"/>\n")
            .arg(kBaseTop.name(), kBaseBottom.name())
            .arg(kTile)
            .arg(kTileSize)
            .arg(kTileRadius)
            .arg(kEdge.name());
    for (const Shape& s : icon.shapes) {
        const QString paint = s.stroke > 0 ? QStringLiteral("fill=\"none\" stroke=\"%1\" "
                                                            "stroke-width=\"%2\"")
                                                 .arg(s.color.name())
                                                 .arg(s.stroke)
                                           : QStringLiteral("fill=\"%1\"").arg(s.color.name());
        if (s.circle)
            svg += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" %4/>\n")
                       .arg(s.x + s.w / 2)
                       .arg(s.y + s.h / 2)
                       .arg(s.w / 2)
                       .arg(paint);
        else
            svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" "
                                  "rx=\"%5\" %6/>\n")
                       .arg(s.x)
                       .arg(s.y)
                       .arg(s.w)
                       .arg(s.h)
                       .arg(s.r)
                       .arg(paint);
    }
    return svg + QStringLiteral("</svg>\n");
}

bool WriteText(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: icon-generator OUTPUT_FOLDER\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor");
    bool ok = true;
    for (const Icon& icon : Icons()) {
        const QString scalable = root + QStringLiteral("/scalable/apps");
        ok &= QDir().mkpath(scalable) &&
              WriteText(scalable + '/' + icon.name + QStringLiteral(".svg"), Svg(icon));
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            const QString folder = root + QStringLiteral("/%1x%1/apps").arg(size);
            ok &= QDir().mkpath(folder) &&
                  Render(icon, size).save(folder + '/' + icon.name + QStringLiteral(".png"));
        }
    }
    if (!ok)
        std::fprintf(stderr, "icon-generator: could not write the icons under %s\n", argv[1]);
    return ok ? 0 : 1;
}
