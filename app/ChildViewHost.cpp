#include "app/ChildViewHost.h"

#include "app/ChildView.h"

ChildViewHost::ChildViewHost(QWidget* parent) : m_view(new ChildView(parent)) {}

QWidget* ChildViewHost::Widget() {
    return m_view.data();
}

bool ChildViewHost::Create() {
    return m_view && m_view->Create();
}

bool ChildViewHost::OnCommand(int id) {
    return m_view && m_view->OnCommand(id);
}

void ChildViewHost::OnCopyData(const std::u16string& commandLine) {
    if (m_view)
        m_view->OnCopyData(commandLine);
}

void ChildViewHost::OnActivate(bool active, bool minimised) {
    if (m_view)
        m_view->OnActivate(active, minimised);
}

void ChildViewHost::Shutdown() {
    if (m_view)
        m_view->Shutdown();
}

bool ChildViewHost::IsHoldOn() const {
    return m_view && m_view->IsHoldOn();
}

bool ChildViewHost::IsPlaying() const {
    return m_view && m_view->IsPlaying();
}

void ChildViewHost::SetExiting() {
    if (m_view)
        m_view->SetExiting();
}

void ChildViewHost::SetStartCommandLine(const std::u16string& commandLine) {
    if (m_view)
        m_view->SetStartCommandLine(commandLine);
}

bool ChildViewHost::ReadyToClose() {
    return !m_view || m_view->ReadyToClose();
}

MainMenu::State ChildViewHost::MenuState() const {
    return m_view ? m_view->MenuState() : MainMenu::State();
}

bool ChildViewHost::CommandAvailable(int id) const {
    return m_view && m_view->CommandAvailable(id);
}
