#pragma once

#include "app/FrameView.h"
#include "input/Command.h"

#include <QMouseEvent>
#include <QWidget>

#include <functional>
#include <set>
#include <string>
#include <vector>

// A main view that records what the frame hands it and handles the commands it is told to.
class FakeFrameView : public FrameView {
public:
    // The view's widget: counts the mouse presses that reach it.
    class Surface : public QWidget {
    public:
        using QWidget::QWidget;
        int presses = 0;

    protected:
        void mousePressEvent(QMouseEvent*) override { ++presses; }
    };

    explicit FakeFrameView(QWidget* parent) : surface(new Surface(parent)) {}

    QWidget* Widget() override { return surface; }
    bool CommandAvailable(int id) const override { return unavailable.count(id) == 0; }
    MainMenu::State MenuState() const override { return menuState; }
    bool Create() override {
        ++creations;
        if (onCreate)
            onCreate();
        return createResult;
    }
    bool OnCommand(int id) override {
        commands.push_back(id);
        // The play and pause commands act like the real view's buttons.
        if (id == CommandId(Command::Play))
            playing = true;
        if (id == CommandId(Command::Pause))
            playing = false;
        return handled.count(id) != 0;
    }
    void OnCopyData(const std::u16string& commandLine) override { copyData.push_back(commandLine); }
    void OnActivate(bool active, bool) override { lastActive = active; }
    void Shutdown() override { ++shutdowns; }
    bool IsHoldOn() const override { return hold; }
    bool IsPlaying() const override { return playing; }
    void SetExiting() override { exiting = true; }
    void SetStartCommandLine(const std::u16string& commandLine) override {
        startLine = commandLine;
    }

    Surface* surface;
    bool createResult = true;
    int creations = 0;
    std::set<int> handled;
    std::set<int> unavailable;      // commands the menus must grey out
    MainMenu::State menuState;      // what the menus' marked items show
    std::function<void()> onCreate; // what the view does while it is created
    std::vector<int> commands;
    std::vector<std::u16string> copyData;
    bool lastActive = false;
    int shutdowns = 0;
    bool hold = false;
    bool playing = false;
    bool exiting = false;
    std::u16string startLine;
};
