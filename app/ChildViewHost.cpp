#include "app/ChildViewHost.h"

#include "app/ChildView.h"

CChildViewHost::CChildViewHost(QWidget* parent) : m_view(new CChildView(parent)) {}

QWidget* CChildViewHost::Widget() {
    return m_view.data();
}

bool CChildViewHost::Create() {
    return m_view && m_view->Create();
}

bool CChildViewHost::OnCommand(int id) {
    return m_view && m_view->OnCommand(id);
}

void CChildViewHost::OnCopyData(const std::u16string& commandLine) {
    if (m_view)
        m_view->OnCopyData(commandLine);
}

void CChildViewHost::OnActivate(bool active, bool minimised) {
    if (m_view)
        m_view->OnActivate(active, minimised);
}

void CChildViewHost::Shutdown() {
    if (m_view)
        m_view->Shutdown();
}

bool CChildViewHost::IsHoldOn() const {
    return m_view && m_view->IsHoldOn();
}

bool CChildViewHost::IsPlaying() const {
    return m_view && m_view->IsPlaying();
}

void CChildViewHost::SetExiting() {
    if (m_view)
        m_view->SetExiting();
}

void CChildViewHost::SetStartCommandLine(const std::u16string& commandLine) {
    if (m_view)
        m_view->SetStartCommandLine(commandLine);
}

bool CChildViewHost::CommandAvailable(int id) const {
    return m_view && m_view->CommandAvailable(id);
}
