// Draws the built-in skin images into a folder: skin-generator OUTPUT_FOLDER.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

struct ImageSpec {
    int id;
    int width;
    int height;
    int columns;
    int rows;
};

constexpr ImageSpec kImages[] = {
    {130, 480, 536, 1, 1}, {176, 116, 88, 2, 2},  {131, 156, 96, 3, 2},  {134, 366, 96, 3, 2},
    {136, 156, 96, 3, 2},  {133, 156, 96, 3, 2},  {146, 156, 96, 3, 2},  {135, 148, 96, 2, 2},
    {158, 536, 76, 4, 2},  {159, 488, 76, 4, 2},  {252, 536, 76, 4, 2},  {253, 488, 76, 4, 2},
    {160, 624, 76, 4, 2},  {139, 432, 32, 1, 1},  {140, 144, 64, 3, 2},  {138, 36, 92, 1, 1},
    {137, 108, 48, 3, 2},  {242, 470, 50, 1, 1},  {243, 40, 76, 1, 2},   {244, 40, 76, 1, 2},
    {163, 480, 536, 1, 1}, {209, 360, 96, 3, 2},  {166, 306, 96, 3, 2},  {167, 306, 96, 3, 2},
    {170, 306, 96, 3, 2},  {171, 306, 96, 3, 2},  {172, 360, 96, 3, 2},  {173, 360, 96, 3, 2},
    {145, 370, 168, 1, 1}, {141, 330, 48, 11, 1}, {142, 134, 18, 11, 1}, {143, 22, 28, 1, 2},
    {144, 14, 88, 1, 4},   {153, 242, 36, 30, 2}, {245, 46, 28, 1, 2},   {152, 400, 78, 5, 1},
    {150, 424, 94, 1, 1},  {149, 20, 94, 1, 1},   {330, 432, 270, 1, 1}, {329, 432, 162, 1, 1},
    {328, 432, 102, 1, 1}, {335, 22, 22, 1, 1},
};

QImage Draw(const ImageSpec& spec) {
    QImage image(spec.width, spec.height, QImage::Format_RGB32);
    image.fill(QColor(0x26, 0x29, 0x2e));
    QPainter p(&image);
    p.setPen(QColor(0x5a, 0x60, 0x6a));
    const int cw = spec.width / spec.columns;
    const int ch = spec.height / spec.rows;
    for (int r = 0; r < spec.rows; ++r) {
        for (int c = 0; c < spec.columns; ++c)
            p.drawRect(c * cw, r * ch, cw - 1, ch - 1);
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin-generator OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const ImageSpec& spec : kImages) {
        const QString path = folder + QStringLiteral("/%1.png").arg(spec.id);
        if (!Draw(spec).save(path, "PNG", 9)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
