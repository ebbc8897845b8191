#include "app/MainMenu.h"

#include <QAction>
#include <QMenu>

namespace {

QAction* AddCommand(QMenu* menu, const QString& text, int id) {
    QAction* action = menu->addAction(text);
    action->setData(id);
    return action;
}

} // namespace

QList<QMenu*> MainMenu::CreatePopups(QWidget* parent, Kind kind) {
    QList<QMenu*> popups;

    auto* file = new QMenu(tr("File"), parent);
    AddCommand(file, tr("Open Files..."), 32772);
    AddCommand(file, tr("Open Folder..."), 32968);
    AddCommand(file, tr("Open URL..."), 32966);
    file->addSeparator();
    AddCommand(file, tr("Delete File..."), 32893);
    file->addSeparator();
    AddCommand(file, tr("Exit"), 57665);
    popups.append(file);

    auto* play = new QMenu(tr("Play"), parent);
    AddCommand(play, tr("Play"), 32773);
    AddCommand(play, tr("Pause"), 32774);
    AddCommand(play, tr("Stop"), 32775);
    play->addSeparator();
    AddCommand(play, tr("Last Track"), 32780);
    AddCommand(play, tr("Next Track"), 32781);
    play->addSeparator();
    AddCommand(play, tr("Shuffle/Repeat"), 32922);
    AddCommand(play, tr("Speed/A<->B"), 32923);
    play->addSeparator();
    AddCommand(play, tr("Playlist..."), 32815);
    AddCommand(play, tr("Playback Speed..."), 32857);
    popups.append(play);

    auto* lyrics = new QMenu(tr("Lyrics"), parent);
    AddCommand(lyrics, kind == Kind::TapMenu ? tr("Search Lyrics...") : tr("Download Lyrics..."),
               32882);
    AddCommand(lyrics, tr("Show Lyrics..."), 32879);
    QMenu* sync = lyrics->addMenu(tr("Sync Lyrics"));
    AddCommand(sync, tr("Keep Sync Time"), 32965);
    sync->addSeparator();
    AddCommand(sync, tr("0.5 Sec Faster"), 32924);
    AddCommand(sync, tr("Default Sync"), 32926);
    AddCommand(sync, tr("0.5 Sec Slower"), 32925);
    popups.append(lyrics);

    auto* favorites = new QMenu(tr("Favorites"), parent);
    AddCommand(favorites, tr("Enable Favorites"), 32964);
    AddCommand(favorites, tr("Add Favorites"), 32967);
    AddCommand(favorites, tr("Edit Favorites..."), 32963);
    popups.append(favorites);

    auto* tools = new QMenu(tr("Tools"), parent);
    AddCommand(tools, tr("Sleep Timer..."), 32866);
    AddCommand(tools, tr("Sound Effects..."), 32860);
    AddCommand(tools, tr("Settings..."), 32840);
    if (kind == Kind::TapMenu)
        AddCommand(tools, tr("Always on top"), 32890);
    tools->addSeparator();
    AddCommand(tools, tr("About Sonvale..."), 57664);
    popups.append(tools);

    return popups;
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
