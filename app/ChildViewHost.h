#pragma once

#include "app/FrameView.h"

#include <QPointer>

class ChildView;

// The player's main view as the frame sees it.
class ChildViewHost : public FrameView {
public:
    // Creates the view as a child of parent (which owns the widget).
    explicit ChildViewHost(QWidget* parent);

    QWidget* Widget() override;
    bool Create() override;
    bool OnCommand(int id) override;
    void OnCopyData(const std::u16string& commandLine) override;
    void OnActivate(bool active, bool minimised) override;
    void Shutdown() override;
    bool IsHoldOn() const override;
    bool IsPlaying() const override;
    void SetExiting() override;
    void SetStartCommandLine(const std::u16string& commandLine) override;
    bool CommandAvailable(int id) const override;
    MainMenu::State MenuState() const override;
    bool ReadyToClose() override;

private:
    QPointer<ChildView> m_view;
};
