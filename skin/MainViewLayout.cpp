#include "skin/MainViewLayout.h"

#include "skin/ControlStyles.h"
#include "skin/DisplayLCD.h"
#include "skin/DisplayPanel.h"
#include "skin/ImageButton.h"
#include "skin/ImageSlideBar.h"
#include "skin/MeterWindow.h"
#include "skin/SkinManager.h"
#include "skin/ToggleButton.h"

#include "input/Command.h"

namespace {

QImage Element(const char16_t* section, const char16_t* key, int id) {
    SkinManager element;
    element.LoadImage(section, key, id);
    return element.GetBitmap();
}

} // namespace

MainViewLayout::MainViewLayout(QWidget* view, Profile& profile, LevelSource* levels,
                               MuteVolume* muteVolume) {
    auto button = [&](const char16_t* section, const char16_t* key, int image, uint32_t grid, int x,
                      int y, Command command, bool enabled) {
        const int id = CommandId(command);
        auto* b = new ImageButton(Element(section, key, image), grid, QPoint(x, y), view, id);
        b->setEnabled(enabled);
        buttons[id] = b;
        return b;
    };
    auto toggle = [&](const char16_t* key, int image, int x, int y, Command command) {
        const int id = CommandId(command);
        auto* t = new ToggleButton(Element(u"Main", key, image), 0, QPoint(x, y), view, id, true);
        t->SetReloader([key, image] { return Element(u"Main", key, image); });
        buttons[id] = t;
    };

    button(u"Title", u"MinButton", 243, IBS_ONE_COLUMN, 386, 10, Command::Minimize, true)->hide();
    button(u"Title", u"QuitButton", 244, IBS_ONE_COLUMN, 430, 10, Command::Quit, true)->hide();

    lcd = new DisplayLCD(profile, view);
    lcd->setGeometry(QRect(QPoint(16, 14), QPoint(465, 43)));

    seek = new ImageSlideBar(0, QRect(QPoint(24, 314), QPoint(455, 345)), view, kSeekSliderId,
                             Element(u"Main", u"ProgressSlideTrack", 139),
                             Element(u"Main", u"ProgressThumb", 140), true);
    seek->setEnabled(false);
    volume = new ImageSlideBar(TBS_VERT, QRect(QPoint(34, 132), QPoint(69, 223)), view,
                               kVolumeSliderId, Element(u"Main", u"VolumeSlideTrack", 138),
                               Element(u"Main", u"VolumeThumb", 137), false);

    meter = new MeterWindow(profile, view);
    panel = new DisplayPanel(profile, levels, muteVolume, view);
    panel->setGeometry(QRect(QPoint(86, 68), QPoint(453, 233)));

    button(u"Main", u"PowerButton", 176, IBS_TWO_COLUMNS, 24, 68, Command::Exit, true);
    button(u"Main", u"LastTrackButton", 131, IBS_THREE_COLUMNS, 32, 250, Command::Previous, false);
    button(u"Main", u"PlayButton", 134, IBS_THREE_COLUMNS, 86, 250, Command::Play, false);
    button(u"Main", u"PauseButton", 136, IBS_THREE_COLUMNS, 210, 250, Command::Pause, false);
    button(u"Main", u"StopButton", 133, IBS_THREE_COLUMNS, 264, 250, Command::Stop, false);
    button(u"Main", u"NextTrackButton", 146, IBS_THREE_COLUMNS, 318, 250, Command::Next, false);
    button(u"Main", u"EjectButton", 135, IBS_TWO_COLUMNS, 372, 250, Command::OpenFiles, true);
    toggle(u"ShuffleButton", 158, 32, 466, Command::Shuffle);
    toggle(u"RepeatButton", 159, 168, 466, Command::Repeat);
    toggle(u"SpeedButton", 252, 32, 466, Command::PlaybackSpeed);
    toggle(u"AtoBButton", 253, 168, 466, Command::MarkSection);
    toggle(u"PlayListButton", 160, 292, 466, Command::Playlist);
}

void MainViewLayout::ShowButtonPair(int buttonMode) {
    bool shuffleRepeat = buttonMode == 1;
    buttons[CommandId(Command::Shuffle)]->setVisible(shuffleRepeat);
    buttons[CommandId(Command::Repeat)]->setVisible(shuffleRepeat);
    buttons[CommandId(Command::PlaybackSpeed)]->setVisible(!shuffleRepeat);
    buttons[CommandId(Command::MarkSection)]->setVisible(!shuffleRepeat);
}

VirtualButton* MainViewLayout::Button(int id) const {
    auto found = buttons.find(id);
    return found == buttons.end() ? nullptr : found->second;
}
