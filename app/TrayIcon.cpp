#include "app/TrayIcon.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

TrayIcon::TrayIcon(QWidget* mainWindow, QObject* parent)
    : QObject(parent), m_mainWindow(mainWindow) {}

TrayIcon::~TrayIcon() = default;

void TrayIcon::SetVisible(bool on) {
    if (!on) {
        m_icon.reset();
        return;
    }
    if (m_icon)
        return;
    m_icon = std::make_unique<QSystemTrayIcon>(AppIcon());
    m_icon->setToolTip(QStringLiteral("Sonvale"));
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    RestoreWindow();
            });
    m_icon->show();
}

bool TrayIcon::IsVisible() const {
    return m_icon != nullptr;
}

QSystemTrayIcon* TrayIcon::Icon() const {
    return m_icon.get();
}

void TrayIcon::RestoreWindow() {
    if (!m_mainWindow)
        return;
    m_mainWindow->showNormal();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

QIcon TrayIcon::AppIcon() {
    // A cyan disc with a dark note on it, in the built-in skin's colours.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2b, 0x2e, 0x33));
    painter.drawEllipse(QRectF(1, 1, 30, 30));
    painter.setBrush(QColor(0x35, 0xd0, 0xe6));
    painter.drawEllipse(QRectF(4, 4, 24, 24));
    painter.setBrush(QColor(0x2b, 0x2e, 0x33));
    painter.drawEllipse(QRectF(9, 18, 8, 6));
    painter.drawRect(QRectF(15, 8, 2.5, 13));
    QPainterPath flag;
    flag.moveTo(17, 8);
    flag.lineTo(23, 11);
    flag.lineTo(17, 14);
    flag.closeSubpath();
    painter.drawPath(flag);
    painter.end();
    return QIcon(pixmap);
}
