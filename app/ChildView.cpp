#include "app/ChildView.h"

#include <QPainter>

CChildView* CChildView::s_instance = nullptr;

CChildView::CChildView(QWidget* parent) : QWidget(parent) {
    setFixedSize(480, 536);
    setFocusPolicy(Qt::StrongFocus);
    s_instance = this;
}

CChildView::~CChildView() {
    Shutdown();
    if (s_instance == this)
        s_instance = nullptr;
}

bool CChildView::Create() {
    return true;
}

bool CChildView::OnCommand(int) {
    return false;
}

void CChildView::OnCopyData(const std::u16string&) {}

void CChildView::OnActivate(bool, bool) {}

void CChildView::Shutdown() {}
