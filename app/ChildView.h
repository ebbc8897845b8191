#pragma once

#include <QWidget>

#include <cstdint>
#include <string>

class CMainFrame;

// The skinned main view: the player's controls, the playback controller and everything that
// plays. The frame hosts it and hands it commands first.
class CChildView : public QWidget {
public:
    explicit CChildView(QWidget* parent = nullptr);
    ~CChildView() override;

    // The view's creation: audio start-up, skin and controls, settings, workers. False when the
    // audio could not start (the message has been shown); the frame then fails too.
    bool Create();

    // Command routing: true when the view handled the command.
    bool OnCommand(int id);
    // The command line of a second instance (or of this one at start-up).
    void OnCopyData(const std::u16string& commandLine);
    // The frame's WM_ACTIVATE, passed on.
    void OnActivate(bool active, bool minimised);
    // The view's shutdown routine; a second run finds nothing left to stop.
    void Shutdown();

    bool IsHoldOn() const { return m_hold; }
    bool IsPlaying() const { return m_playing; }
    void SetExiting() { m_exiting = true; }

    // The view of the running program, while it exists.
    static CChildView* Instance() { return s_instance; }

protected:
    bool m_hold = false;
    bool m_playing = false;
    bool m_exiting = false;

private:
    static CChildView* s_instance;
};
