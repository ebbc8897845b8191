#pragma once

#include "app/MainMenu.h"

#include <string>

class QWidget;

// What the main frame needs of the view it hosts: the widget, its creation and shutdown, the
// commands it takes first, the text of a second instance, activation, and the state that the
// frame's own rules read (Hold for taps, playing for calls).
class FrameView {
public:
    virtual ~FrameView() = default;

    // The view's window; the frame's child and central widget.
    virtual QWidget* Widget() = 0;
    // The view's creation. False when the player can't run (the frame then fails too).
    virtual bool Create() = 0;
    // True when the view handled the command.
    virtual bool OnCommand(int id) = 0;
    virtual void OnCopyData(const std::u16string& commandLine) = 0;
    virtual void OnActivate(bool active, bool minimised) = 0;
    virtual void Shutdown() = 0;
    virtual bool IsHoldOn() const = 0;
    virtual bool IsPlaying() const = 0;
    virtual void SetExiting() = 0;
    // False while the view can't close yet (it is opening a file: the open is cancelled and the
    // frame tries again shortly).
    virtual bool ReadyToClose() { return true; }
    // Whether a command can run now; the menus grey out the others when they open.
    virtual bool CommandAvailable(int id) const {
        (void)id;
        return true;
    }
    // What the menus' marked items show; read when a popup opens.
    virtual MainMenu::State MenuState() const { return {}; }
    // The command line the program was started with; set before Create.
    virtual void SetStartCommandLine(const std::u16string& commandLine) = 0;
};
