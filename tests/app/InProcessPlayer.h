#pragma once

#include "app/ChildViewHost.h"
#include "app/MainFrame.h"
#include "app/SonvaleApp.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

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
