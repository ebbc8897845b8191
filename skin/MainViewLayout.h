#pragma once

#include "skin/SkinManager.h"

#include <QRect>

#include <map>
#include <vector>

class DisplayLCD;
class DisplayPanel;
class ImageSlideBar;
class MeterWindow;
class VirtualButton;
class LevelSource;
class MuteVolume;
class Profile;
class QWidget;

// The main view's skinned controls, created from the loaded skin at their fixed places (the
// view's layout table), in the table's order. The view and the skin preview both build it.
class MainViewLayout {
public:
    static constexpr int kSeekSliderId = 1110;
    static constexpr int kVolumeSliderId = 1120;

    // Creates every control as a child of `view`; `levels` and `volume` go to the display panel.
    // Buttons start as the table says (previous, play, pause, stop and next disabled; the
    // window buttons hidden); toggles start off.
    MainViewLayout(QWidget* view, Profile& profile, LevelSource* levels, MuteVolume* volume);
    // The skin elements of the buttons, toggles and sliders, in the order they load.
    static std::vector<SkinManager::ElementName> Elements();

    // "ButtonMode" 1 shows shuffle and repeat; any other value speed and A-B, at the same places.
    void ShowButtonPair(int buttonMode);
    VirtualButton* Button(int id) const;

    DisplayLCD* lcd = nullptr;
    DisplayPanel* panel = nullptr;
    ImageSlideBar* seek = nullptr;
    ImageSlideBar* volume = nullptr;
    MeterWindow* meter = nullptr;
    std::map<int, VirtualButton*> buttons; // by command id
};
