#include "options/CpuUsagePage.h"

#include "app/SonvaleApp.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

TEST(CpuUsagePageTest, FiguresFromAKnownSample) {
    EXPECT_EQ(CpuUsagePage::CpuPercent(250, 1000), 25);
    EXPECT_EQ(CpuUsagePage::CpuPercent(3000, 1000), 100); // threads on several processors
    EXPECT_EQ(CpuUsagePage::CpuPercent(10, 0), 0);
    const auto memory = CpuUsagePage::ParseMemInfo(QStringLiteral("MemTotal:        2000000 kB\n"
                                                                  "MemFree:          100000 kB\n"
                                                                  "MemAvailable:     500000 kB\n"));
    ASSERT_TRUE(memory);
    EXPECT_EQ(memory->usedKb, 1500000);
    EXPECT_EQ(memory->totalKb, 2000000);
    EXPECT_EQ(CpuUsagePage::MemoryLoad(*memory), 75);
    EXPECT_FALSE(CpuUsagePage::ParseMemInfo(QStringLiteral("MemTotal: 5 kB\n")));
    EXPECT_EQ(CpuUsagePage::PlotY(10, 101, 25), 85);
    EXPECT_EQ(CpuUsagePage::PlotY(10, 101, 100), 10);
    EXPECT_EQ(CpuUsagePage::PlotY(10, 101, 0), 110);
    EXPECT_EQ(CpuUsagePage::Title(2048), QStringLiteral("Resource Usage (Sonvale: 2048 KB)"));
    EXPECT_EQ(CpuUsagePage::Title(std::nullopt), QStringLiteral("Resource Usage"));

    CpuUsagePage page;
    page.AddSample(25, 3, *memory);
    EXPECT_EQ(page.CpuHistory().back(), 25);
    EXPECT_EQ(page.LibraryHistory().back(), 3);
    EXPECT_EQ(page.MemoryHistory().back(), 75);
    EXPECT_EQ(page.CpuHistory().front(), 0);
    EXPECT_EQ(page.FiguresLabel()->text(),
              QStringLiteral("CPU Usage\t: 25% (3%)\nMemory Used\t: 1500000KB/2000000KB"));
}

// The page measures once a second while it is shown, and stops when hidden.
TEST(CpuUsagePageTest, MeasuresOnlyWhileShown) {
    CpuUsagePage page([] { return 7.4f; });
    EXPECT_FALSE(page.Measuring());
    page.show();
    EXPECT_TRUE(page.Measuring());
    ASSERT_TRUE(QTest::qWaitFor([&page] { return page.Ticks() > 0; }, 3000));
    EXPECT_EQ(page.LibraryHistory().back(), 7);
    EXPECT_GT(page.MemoryHistory().back(), 0);
    EXPECT_TRUE(page.windowTitle().startsWith(QStringLiteral("Resource Usage (Sonvale: ")));
    page.hide();
    EXPECT_FALSE(page.Measuring());
}

TEST(CpuUsagePageTest, PicturesInEnglishAndKorean) {
    for (int language : {1033, 1042}) {
        SonvaleApp::InstallLanguage(*qApp, language);
        CpuUsagePage page;
        for (int tick = 0; tick < 200; ++tick)
            page.AddSample(20 + tick % 30, tick % 7, {600000 + tick * 1000, 2000000});
        page.resize(page.sizeHint().expandedTo(QSize(420, 260)));
        page.grab().save(QStringLiteral(SONVALE_SCREENSHOTS "/resource-usage%1.png")
                             .arg(language == 1042 ? "-ko" : ""));
        if (language == 1042) {
            EXPECT_TRUE(page.FiguresLabel()->text().startsWith(QString::fromUtf8("CPU 사용률")));
        }
    }
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

} // namespace
