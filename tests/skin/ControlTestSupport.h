#pragma once

#include "skin/SkinManager.h"
#include "tests/TempFolder.h"
#include "ui/WindowMessage.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// A top-level window that records the window messages its controls post or send it.
class RecordingParent : public QWidget {
public:
    struct Message {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    std::vector<Message> got;
    // Called as each message arrives, for checks of the state at that moment.
    std::function<void(const Message&)> onMessage;

    RecordingParent() { resize(480, 536); }

    // Shows the window and makes it the active one, so that its controls can hold the focus.
    bool ShowActive() {
        show();
        activateWindow();
        return QTest::qWaitForWindowActive(this);
    }

    std::vector<Message> Only(uint32_t message) const {
        std::vector<Message> picked;
        for (const Message& m : got) {
            if (m.message == message)
                picked.push_back(m);
        }
        return picked;
    }

protected:
    bool event(QEvent* event) override {
        if (const auto* m = WindowMessageEvent::From(event)) {
            got.push_back({m->message, m->wParam, m->lParam});
            if (onMessage)
                onMessage(got.back());
            return true;
        }
        return QWidget::event(event);
    }
};

// The flat colour of cell (column, row) in the test pictures; `base` tells pictures apart.
inline QRgb CellColor(int base, int column, int row) {
    return qRgb(base, 30 + column * 50, 40 + row * 120);
}

// A picture of columns x rows cells of cellWidth x cellHeight, each one flat colour.
inline QImage CellPicture(int base, int columns, int rows, int cellWidth, int cellHeight) {
    QImage image(columns * cellWidth, rows * cellHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            painter.fillRect(c * cellWidth, r * cellHeight, cellWidth, cellHeight,
                             QColor(CellColor(base, c, r)));
    }
    return image;
}

// A skin in a temporary folder: flat-colour PNGs and a .wps naming them under section "Main".
class TestSkin {
public:
    // Adds a picture as `key`, saved as key + ".png".
    void Add(const std::string& key, const QImage& image) {
        const std::string file = key + ".png";
        image.save(QString::fromStdString(m_folder.File(file)), "PNG");
        m_entries += key + "=" + file + "\r\n";
    }
    // Writes the skin file and makes it the process's skin.
    bool Load() {
        m_folder.Write("test.wps", "[Main]\r\n" + m_entries);
        return SkinManager::LoadSkin(m_folder.File16("test.wps"));
    }
    // The picture of `key` as a control receives it from its skin element.
    static QImage Element(const std::u16string& key, int defaultId, bool* fromSkin = nullptr) {
        SkinManager element;
        const bool skinned = element.LoadImage(u"Main", key, defaultId);
        if (fromSkin)
            *fromSkin = skinned;
        return element.GetBitmap();
    }

private:
    TempFolder m_folder;
    std::string m_entries;
};

// The colour a widget shows at a point of its client area.
inline QRgb ShownAt(QWidget& widget, int x, int y) {
    return widget.grab().toImage().pixel(x, y) | 0xFF000000u;
}
