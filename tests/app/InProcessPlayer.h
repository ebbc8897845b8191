#pragma once

#include "app/ChildViewHost.h"
#include "app/MainFrame.h"
#include "app/SonvaleApp.h"
#include "platform/Registry.h"
#include "tests/TempFolder.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <functional>
#include <memory>

// Points the player at `home` (its settings store and runtime folder) with the sound recorded
// into home/out.wav, and opens the settings store there.
inline void UsePlayerHome(const TempFolder& home) {
    chmod(home.Path().c_str(), 0700);
    ::setenv("SONVALE_HOME", home.Path().c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", home.Path().c_str(), 1);
    ::setenv("SONVALE_AUDIO", ("wav:" + home.File("out.wav")).c_str(), 1);
    Registry::Shared().Open(home.File("registry.db"));
}

// Runs the real program in the test's process; `steps` run once its window is up, and the window
// closes after them.
inline void RunPlayer(const std::function<void(MainFrame&)>& steps) {
    SonvaleApp app(*qApp, [](QWidget* parent) -> std::unique_ptr<FrameView> {
        return std::make_unique<ChildViewHost>(parent);
    });
    QTimer::singleShot(0, [&app, &steps] {
        if (MainFrame* frame = app.Frame()) {
            steps(*frame);
            frame->close();
        }
    });
    EXPECT_EQ(app.Run(), 0);
}

// Runs the event loop until `condition` holds, or gives up after 15 s.
inline bool WaitFor(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 15000);
}
