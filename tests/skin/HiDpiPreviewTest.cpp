// The main view drawn by skin-preview at the scales of dense screens and of the zoom.
#include "tests/TempFolder.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

const QString kShots = QStringLiteral(SCREENSHOT_FOLDER "/hidpi");

// Runs skin-preview with magenta under the background and the controls; its picture.
QImage Preview(const QString& scale, const QString& name, const QStringList& options = {}) {
    TempFolder home;
    QDir().mkpath(kShots);
    const QString out = kShots + QStringLiteral("/%1@%2.png").arg(name, scale);
    QProcess preview;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("SONVALE_HOME"), QString::fromStdString(home.Path()));
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    preview.setProcessEnvironment(environment);
    preview.start(QStringLiteral(SKIN_PREVIEW),
                  options +
                      QStringList{QStringLiteral("--scale"), scale, QStringLiteral("--gaps"), out});
    EXPECT_TRUE(preview.waitForFinished(60000));
    EXPECT_EQ(preview.exitCode(), 0) << preview.readAllStandardError().toStdString();
    return QImage(out).convertToFormat(QImage::Format_RGB32);
}

// Pixels where the magenta under the drawing shows (most of it: a skin's own purples are
// darker).
int MagentaPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() >= 200 && c.blue() >= 200 && c.green() <= 100;
        }
    }
    return count;
}

} // namespace

TEST(HiDpiPreviewTest, NothingShowsThroughBetweenCellsAtAnyScale) {
    for (const char* scale : {"1", "1.25", "1.5", "1.75", "2"}) {
        const QImage image = Preview(QString::fromLatin1(scale), QStringLiteral("builtin"));
        const double factor = QString::fromLatin1(scale).toDouble();
        ASSERT_EQ(image.size(), QSize(qRound(480 * factor), qRound(536 * factor))) << scale;
        EXPECT_EQ(MagentaPixels(image), 0) << scale;
    }
}

TEST(HiDpiPreviewTest, SkinWithOnlyPlainImagesIsWholeWhenEnlarged) {
    const QStringList skin{QStringLiteral("--skin"),
                           QStringLiteral(SOURCE_FOLDER "/tests/fixtures/skins/moss/moss.wps")};
    for (const char* scale : {"1.25", "2"})
        EXPECT_EQ(MagentaPixels(Preview(QString::fromLatin1(scale), QStringLiteral("moss"), skin)),
                  0)
            << scale;
}

TEST(HiDpiPreviewTest, DoubleDensityShowsTheFinerPictures) {
    const QImage image = Preview(QStringLiteral("2"), QStringLiteral("builtin"));
    const QImage fine(QStringLiteral(SOURCE_FOLDER "/skin/builtin/130@2x.png"));
    const QImage coarse(QStringLiteral(SOURCE_FOLDER "/skin/builtin/130.png"));
    ASSERT_EQ(fine.size(), QSize(960, 1072));
    // The name strip under the toggles: background only, with the drawn name in it.
    int same = 0;
    int likeCoarse = 0;
    int total = 0;
    for (int y = 1030; y < 1068; ++y) {
        for (int x = 40; x < 260; ++x) {
            ++total;
            same += image.pixel(x, y) == fine.pixel(x, y);
            likeCoarse += image.pixel(x, y) == coarse.pixel(x / 2, y / 2);
        }
    }
    EXPECT_EQ(same, total);
    EXPECT_LT(likeCoarse, total * 9 / 10);
}
