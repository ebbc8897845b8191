#pragma once

class Profile;

// The "Zoom" setting: the player drawn 1.5 or 2 times larger on large screens of low density.
// It is applied as Qt's scale factor when the program starts, so the window, its pictures and
// text and the dialogs are drawn at the larger size with the same detail as on a dense screen.
namespace zoom {

// The zooms offered, in percent.
inline constexpr int kChoices[] = {100, 150, 200};

// The setting, 100 when it holds a value not offered.
int Setting(Profile& profile);

// The largest offered zoom not above `percent` at which a window of `width` x `height` (at
// 100%) fits an area of `availableWidth` x `availableHeight`; 100 when none does.
int Fitting(int percent, int width, int height, int availableWidth, int availableHeight);

// Before the application object exists: when the setting asks for a zoom, finds the largest that
// lets the main window fit the primary screen's available area and multiplies QT_SCALE_FACTOR by
// it. Answers the zoom applied, in percent.
int ApplyAtStart(int& argc, char** argv);

} // namespace zoom
