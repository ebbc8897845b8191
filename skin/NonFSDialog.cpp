#include "skin/NonFSDialog.h"

#include <QEvent>
#include <QShowEvent>

namespace {

constexpr Qt::WindowStates kScreenStates = Qt::WindowMaximized | Qt::WindowFullScreen;

} // namespace

NonFSDialog::NonFSDialog(QWidget* parent) : QDialog(parent) {
    setSizeGripEnabled(false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
}

void NonFSDialog::showEvent(QShowEvent* event) {
    if (!m_sizeKept) {
        m_sizeKept = true;
        setFixedSize(size());
    }
    if (windowState() & kScreenStates)
        setWindowState(windowState() & ~kScreenStates);
    QDialog::showEvent(event);
}

void NonFSDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & kScreenStates))
        setWindowState(windowState() & ~kScreenStates);
}
