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

// The layout table: each control's skin element (section, key, built-in picture), then its place.
struct ButtonPlace {
    SkinManager::ElementName element;
    uint32_t grid;
    int x, y;
    Command command;
    bool enabled;
};
constexpr ButtonPlace kWindowButtons[] = {
    {{u"Title", u"MinButton", 243}, IBS_ONE_COLUMN, 386, 10, Command::Minimize, true},
    {{u"Title", u"QuitButton", 244}, IBS_ONE_COLUMN, 430, 10, Command::Quit, true},
};
constexpr SkinManager::ElementName kSeekTrack{u"Main", u"ProgressSlideTrack", 139};
constexpr SkinManager::ElementName kSeekThumb{u"Main", u"ProgressThumb", 140};
constexpr SkinManager::ElementName kVolumeTrack{u"Main", u"VolumeSlideTrack", 138};
constexpr SkinManager::ElementName kVolumeThumb{u"Main", u"VolumeThumb", 137};
constexpr ButtonPlace kButtons[] = {
    {{u"Main", u"PowerButton", 176}, IBS_TWO_COLUMNS, 24, 68, Command::Exit, true},
    {{u"Main", u"LastTrackButton", 131}, IBS_THREE_COLUMNS, 32, 250, Command::Previous, false},
    {{u"Main", u"PlayButton", 134}, IBS_THREE_COLUMNS, 86, 250, Command::Play, false},
    {{u"Main", u"PauseButton", 136}, IBS_THREE_COLUMNS, 210, 250, Command::Pause, false},
    {{u"Main", u"StopButton", 133}, IBS_THREE_COLUMNS, 264, 250, Command::Stop, false},
    {{u"Main", u"NextTrackButton", 146}, IBS_THREE_COLUMNS, 318, 250, Command::Next, false},
    {{u"Main", u"EjectButton", 135}, IBS_TWO_COLUMNS, 372, 250, Command::OpenFiles, true},
};
struct TogglePlace {
    SkinManager::ElementName element;
    int x, y;
    Command command;
};
constexpr TogglePlace kToggles[] = {
    {{u"Main", u"ShuffleButton", 158}, 32, 466, Command::Shuffle},
    {{u"Main", u"RepeatButton", 159}, 168, 466, Command::Repeat},
    {{u"Main", u"SpeedButton", 252}, 32, 466, Command::PlaybackSpeed},
    {{u"Main", u"AtoBButton", 253}, 168, 466, Command::MarkSection},
    {{u"Main", u"PlayListButton", 160}, 292, 466, Command::Playlist},
};

QImage Element(const SkinManager::ElementName& name) {
    return Element(name.section, name.key, name.id);
}

} // namespace

std::vector<SkinManager::ElementName> MainViewLayout::Elements() {
    std::vector<SkinManager::ElementName> names;
    for (const ButtonPlace& place : kWindowButtons)
        names.push_back(place.element);
    names.insert(names.end(), {kSeekTrack, kSeekThumb, kVolumeTrack, kVolumeThumb});
    for (const ButtonPlace& place : kButtons)
        names.push_back(place.element);
    for (const TogglePlace& place : kToggles)
        names.push_back(place.element);
    return names;
}

MainViewLayout::MainViewLayout(QWidget* view, Profile& profile, LevelSource* levels,
                               MuteVolume* muteVolume) {
    auto button = [&](const ButtonPlace& place) {
        const int id = CommandId(place.command);
        auto* b =
            new ImageButton(Element(place.element), place.grid, QPoint(place.x, place.y), view, id);
        b->setEnabled(place.enabled);
        buttons[id] = b;
        return b;
    };
    for (const ButtonPlace& place : kWindowButtons)
        button(place)->hide();

    lcd = new DisplayLCD(profile, view);
    lcd->setGeometry(QRect(QPoint(16, 14), QPoint(465, 43)));

    seek = new ImageSlideBar(0, QRect(QPoint(24, 314), QPoint(455, 345)), view, kSeekSliderId,
                             Element(kSeekTrack), Element(kSeekThumb), true);
    seek->setEnabled(false);
    volume =
        new ImageSlideBar(TBS_VERT, QRect(QPoint(34, 132), QPoint(69, 223)), view, kVolumeSliderId,
                          Element(kVolumeTrack), Element(kVolumeThumb), false);

    meter = new MeterWindow(profile, view);
    panel = new DisplayPanel(profile, levels, muteVolume, view);
    panel->setGeometry(QRect(QPoint(86, 68), QPoint(453, 233)));

    for (const ButtonPlace& place : kButtons)
        button(place);
    for (const TogglePlace& place : kToggles) {
        const int id = CommandId(place.command);
        const SkinManager::ElementName element = place.element;
        auto* t = new ToggleButton(Element(element), 0, QPoint(place.x, place.y), view, id, true);
        t->SetReloader([element] { return Element(element); });
        buttons[id] = t;
    }
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
