#include "app/MainMenu.h"

#include "input/Command.h"

#include <QAction>
#include <QMenu>

#include <optional>

namespace {

QAction* AddCommand(QMenu* menu, const QString& text, Command command) {
    QAction* action = menu->addAction(text);
    action->setData(CommandId(command));
    return action;
}

// An item that shows a state with its check mark.
void AddMarked(QMenu* menu, const QString& text, Command command) {
    AddCommand(menu, text, command)->setCheckable(true);
}

} // namespace

QList<QMenu*> MainMenu::CreatePopups(QWidget* parent, Kind kind) {
    QList<QMenu*> popups;

    auto* file = new QMenu(tr("File"), parent);
    AddCommand(file, tr("Open Files..."), Command::OpenFiles);
    AddCommand(file, tr("Open Folder..."), Command::OpenFolder);
    AddCommand(file, tr("Open URL..."), Command::OpenUrl);
    file->addSeparator();
    AddCommand(file, tr("Delete File..."), Command::DeleteFile);
    file->addSeparator();
    AddCommand(file, tr("Exit"), Command::Exit);
    popups.append(file);

    auto* play = new QMenu(tr("Play"), parent);
    AddCommand(play, tr("Play"), Command::Play);
    AddCommand(play, tr("Pause"), Command::Pause);
    AddCommand(play, tr("Stop"), Command::Stop);
    play->addSeparator();
    AddCommand(play, tr("Last Track"), Command::Previous);
    AddCommand(play, tr("Next Track"), Command::Next);
    play->addSeparator();
    AddMarked(play, tr("Shuffle/Repeat"), Command::ShuffleRepeatButtons);
    AddMarked(play, tr("Speed/A<->B"), Command::SpeedSectionButtons);
    play->addSeparator();
    AddCommand(play, tr("Playlist..."), Command::Playlist);
    AddCommand(play, tr("Playback Speed..."), Command::PlaybackSpeed);
    popups.append(play);

    auto* lyrics = new QMenu(tr("Lyrics"), parent);
    AddCommand(lyrics, kind == Kind::TapMenu ? tr("Search Lyrics...") : tr("Download Lyrics..."),
               Command::DownloadLyrics);
    AddCommand(lyrics, tr("Show Lyrics..."), Command::ShowLyrics);
    QMenu* sync = lyrics->addMenu(tr("Sync Lyrics"));
    AddMarked(sync, tr("Keep Sync Time"), Command::KeepSyncTime);
    sync->addSeparator();
    AddMarked(sync, tr("0.5 Sec Faster"), Command::SyncFaster);
    AddMarked(sync, tr("Default Sync"), Command::SyncDefault);
    AddMarked(sync, tr("0.5 Sec Slower"), Command::SyncSlower);
    popups.append(lyrics);

    auto* favorites = new QMenu(tr("Favorites"), parent);
    AddMarked(favorites, tr("Enable Favorites"), Command::EnableFavorites);
    AddMarked(favorites, tr("Add Favorites"), Command::AddFavorite);
    AddCommand(favorites, tr("Edit Favorites..."), Command::EditFavorites);
    popups.append(favorites);

    auto* tools = new QMenu(tr("Tools"), parent);
    AddCommand(tools, tr("Sleep Timer..."), Command::SleepTimer);
    AddCommand(tools, tr("Sound Effects..."), Command::SoundEffects);
    AddCommand(tools, tr("Settings..."), Command::Settings);
    AddCommand(tools, tr("CPU Profile..."), Command::CpuProfile);
    if (kind == Kind::TapMenu)
        AddMarked(tools, tr("Always on top"), Command::AlwaysOnTop);
    tools->addSeparator();
    AddCommand(tools, tr("About Sonvale..."), Command::About);
    popups.append(tools);

    return popups;
}

void MainMenu::ShowState(QMenu* popup, const State& state) {
    for (QAction* action : popup->actions()) {
        const std::optional<Command> command = CommandFromId(CommandId(action));
        if (!command || !action->isCheckable())
            continue;
        switch (*command) {
        case Command::ShuffleRepeatButtons:
            action->setChecked(state.buttonMode == 1);
            break;
        case Command::SpeedSectionButtons:
            action->setChecked(state.buttonMode != 1);
            break;
        case Command::EnableFavorites:
            action->setChecked(state.favoritesEnabled);
            break;
        case Command::AddFavorite:
            action->setChecked(state.currentFavorite);
            action->setText(state.currentFavorite ? tr("Release Favorites") : tr("Add Favorites"));
            break;
        case Command::AlwaysOnTop:
            action->setChecked(state.alwaysOnTop);
            break;
        case Command::KeepSyncTime:
            action->setChecked(state.keepLyricsSync);
            break;
        case Command::SyncFaster:
            action->setChecked(state.lyricsSync > 0);
            break;
        case Command::SyncDefault:
            action->setChecked(state.lyricsSync == 0 || !state.syncedLyrics);
            break;
        case Command::SyncSlower:
            action->setChecked(state.lyricsSync < 0);
            break;
        default:
            break;
        }
    }
}

int MainMenu::CommandId(const QAction* action) {
    return action ? action->data().toInt() : 0;
}

QAction* MainMenu::FindCommand(const QList<QMenu*>& popups, int id) {
    for (QMenu* popup : popups) {
        for (QAction* action : popup->actions()) {
            if (action->menu()) {
                if (QAction* found = FindCommand({action->menu()}, id))
                    return found;
            } else if (!action->isSeparator() && CommandId(action) == id) {
                return action;
            }
        }
    }
    return nullptr;
}
