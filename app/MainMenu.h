#pragma once

#include <QCoreApplication>
#include <QList>

class QAction;
class QMenu;
class QWidget;

// The player's menu: the popups of the menu bar, or of the tap menu that the main view opens
// over its menu area. Every command item carries its command id as the action's data.
class MainMenu {
    Q_DECLARE_TR_FUNCTIONS(MainMenu)

public:
    enum class Kind {
        MenuBar, // the frame's menu bar
        TapMenu, // "Search Lyrics..." for "Download Lyrics...", "Always on top" in Tools
    };

    // What the marked items show, read from the player when a popup opens.
    struct State {
        int buttonMode = 0; // 1: shuffle and repeat buttons, else speed and A-B
        bool favoritesEnabled = false;
        bool currentFavorite = false;
        bool alwaysOnTop = false;
        bool keepLyricsSync = false;
        int lyricsSync = 0;        // half seconds
        bool syncedLyrics = false; // the track has timed lyrics
    };

    // The top-level popups, in order, owned by parent.
    static QList<QMenu*> CreatePopups(QWidget* parent, Kind kind);
    // Marks the items of the popup (not of its nested popups) that show a state, and names the
    // favourites item after what it will do.
    static void ShowState(QMenu* popup, const State& state);

    // The command id of an action, or 0 for one that carries none.
    static int CommandId(const QAction* action);
    // The action with the command id among the popups and their nested popups, or null.
    static QAction* FindCommand(const QList<QMenu*>& popups, int id);
};
