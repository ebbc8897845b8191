#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QTest>
#include <QWidget>

// Records the paint events of a shown widget: how many came and what they covered.
class PaintLog : public QObject {
public:
    explicit PaintLog(QWidget& widget) : m_widget(widget) {
        widget.show();
        (void)QTest::qWaitForWindowExposed(&widget);
        Settle();
        widget.installEventFilter(this);
    }
    ~PaintLog() override { m_widget.removeEventFilter(this); }

    // Delivers what is pending, then forgets what was painted so far.
    void Clear() {
        Settle();
        count = 0;
        painted = QRegion();
    }
    // Delivers the pending updates and answers how many paint events came since Clear.
    int Count() {
        Settle();
        return count;
    }

    // What the window shows of the widget now: what the paint events left, not a fresh drawing.
    QImage OnScreen() {
        Settle();
        QWidget* top = m_widget.window();
        const QPoint at = m_widget.mapTo(top, QPoint(0, 0));
        return top->screen()
            ->grabWindow(top->winId(), at.x(), at.y(), m_widget.width(), m_widget.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    int count = 0;
    QRegion painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_widget && event->type() == QEvent::Paint) {
            ++count;
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }

private:
    static void Settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }

    QWidget& m_widget;
};
