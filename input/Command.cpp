#include "input/Command.h"

#include <array>
#include <utility>

namespace {

// The one place the numbers live. They are stored (key maps hold the key functions' codes) and
// sent as command messages, so they never change.
constexpr std::array<std::pair<Command, int>, kCommandCount> kIds = {{
    {Command::OpenFiles, 32772},
    {Command::OpenFolder, 32968},
    {Command::OpenUrl, 32966},
    {Command::DeleteFile, 32893},
    {Command::Exit, 57665},
    {Command::Play, 32773},
    {Command::Pause, 32774},
    {Command::Stop, 32775},
    {Command::Previous, 32780},
    {Command::Next, 32781},
    {Command::ShuffleRepeatButtons, 32922},
    {Command::SpeedSectionButtons, 32923},
    {Command::Playlist, 32815},
    {Command::PlaybackSpeed, 32857},
    {Command::DownloadLyrics, 32882},
    {Command::ShowLyrics, 32879},
    {Command::KeepSyncTime, 32965},
    {Command::SyncFaster, 32924},
    {Command::SyncDefault, 32926},
    {Command::SyncSlower, 32925},
    {Command::EnableFavorites, 32964},
    {Command::AddFavorite, 32967},
    {Command::EditFavorites, 32963},
    {Command::SleepTimer, 32866},
    {Command::SoundEffects, 32860},
    {Command::Settings, 32840},
    {Command::AlwaysOnTop, 32890},
    {Command::About, 57664},
    {Command::CpuProfile, 32927},
    {Command::Minimize, 32891},
    {Command::Quit, 32892},
    {Command::DisplayOnOff, 32829},
    {Command::PowerOff, 32830},
    {Command::Shuffle, 32783},
    {Command::Repeat, 32784},
    {Command::MarkSection, 1105},
    {Command::RepeatNone, 1053},
    {Command::RepeatOne, 1054},
    {Command::RepeatAll, 1055},
    {Command::MediaPlayPause, 40027},
    {Command::MediaPreviousTrack, 40037},
    {Command::MediaNextTrack, 40038},
    {Command::TitleOk, 1},
    {Command::KeyPlay, 65010},
    {Command::KeyStop, 65011},
    {Command::KeyPause, 65012},
    {Command::KeyPlayStop, 65013},
    {Command::KeyPlayPause, 65014},
    {Command::KeyPreviousTrack, 65015},
    {Command::KeyNextTrack, 65016},
    {Command::KeyRewind, 65017},
    {Command::KeyFastForward, 65018},
    {Command::KeyVolumeUp, 65019},
    {Command::KeyVolumeDown, 65020},
    {Command::KeyRepeatSection, 65021},
    {Command::KeyMute, 65022},
    {Command::KeyDisplay, 65023},
    {Command::KeyPowerOff, 65024},
    {Command::KeySpeedUp, 65025},
    {Command::KeySpeedDown, 65026},
    {Command::KeyDeleteFile, 65027},
    {Command::KeyOpenFiles, 65028},
    {Command::KeyExit, 65029},
    {Command::KeyHold, 65030},
    {Command::KeyActivate, 65031},
    {Command::KeyShowPlaylist, 65032},
    {Command::KeyAlarmTime, 65033},
    {Command::KeyShuffle, 65034},
    {Command::KeyUndefined, 65035},
}};

} // namespace

std::optional<Command> CommandFromId(int id) {
    for (const auto& [command, commandId] : kIds)
        if (commandId == id)
            return command;
    return std::nullopt;
}

int CommandId(Command command) {
    for (const auto& [entry, id] : kIds)
        if (entry == command)
            return id;
    return 0;
}

bool IsKeyFunction(Command command) {
    return command >= Command::KeyPlay && command <= Command::KeyUndefined;
}
