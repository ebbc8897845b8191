#pragma once

#include <QRect>

#include <map>

class CDisplayLCD;
class CDisplayPanel;
class CImageSlideBar;
class CVirtualButton;
class LevelSource;
class MuteVolume;
class Profile;
class QWidget;

// The main view's skinned controls, created from the loaded skin at their fixed places (the
// view's layout table), in the table's order. The view and the skin preview both build it.
class CMainViewLayout {
public:
    static constexpr int kSeekSliderId = 1110;
    static constexpr int kVolumeSliderId = 1120;

    // Creates every control as a child of `view`; `levels` and `volume` go to the display panel.
    // Buttons start as the table says (previous, play, pause, stop and next disabled; the
    // window buttons hidden); toggles start off.
    CMainViewLayout(QWidget* view, Profile& profile, LevelSource* levels, MuteVolume* volume);

    // "ButtonMode" 1 shows shuffle and repeat; any other value speed and A-B, at the same places.
    void ShowButtonPair(int buttonMode);
    CVirtualButton* Button(int id) const;

    CDisplayLCD* lcd = nullptr;
    CDisplayPanel* panel = nullptr;
    CImageSlideBar* seek = nullptr;
    CImageSlideBar* volume = nullptr;
    std::map<int, CVirtualButton*> buttons; // by command id
};
