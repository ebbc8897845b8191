#pragma once

#include <QFont>
#include <QIcon>
#include <QStringList>

#include "ui/OptionsPage.h"

#include <functional>
#include <map>
#include <utility>
#include <vector>

class PlayerSession;
class Profile;
class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The lyrics list: every timed line of the current track, one or more rows each, following the
// line being played. A tap on a line seeks there, a double tap loops the line. Untimed lyrics
// show as plain text instead. The page is a widget of its own, so that any window can host it.
class LyricsListPage : public OptionsPage {
    Q_OBJECT

public:
    // What the rows measure and give away: the list is this much narrower than the widget.
    static constexpr int kIconMargin = 80;
    static constexpr int kPlainMargin = 44;
    static constexpr int kColumnMargin = 32;

    LyricsListPage(PlayerSession& session, Profile& profile, QWidget* parent = nullptr);
    ~LyricsListPage() override;

    // Fills the page again from the session's lyrics, then highlights the current line.
    void Refill();
    // Selects the line of time key `key` and scrolls it to its place (-1: the first row).
    void Highlight(int key);
    // "[artist] title", or "Lyrics" without either.
    QString Caption() const;
    // Reads the list's font slot (3) again and lays the lines out in it.
    void ReloadFont();

    // The rows of one line in `available` pixels: the whole text when it fits, else cut at the
    // last blank before the row grows too wide, or, without a blank, before the character that
    // did not fit.
    static QStringList Wrap(const QString& text, int available,
                            const std::function<int(const QString&)>& width);

    QTreeWidget* List() const { return m_list; }
    QPlainTextEdit* TextBox() const { return m_text; }
    // The time key of a row; -1 for none.
    int KeyOfRow(int row) const;
    // The first and the last row of a key's line; (-1, -1) for none.
    std::pair<int, int> RowsOf(int key) const;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Tapped(QTreeWidgetItem* item);
    void DoubleTapped(QTreeWidgetItem* item);
    void ShowMenu(const QPoint& position);
    void AddRow(const QString& text, int key, bool first);
    QFont ListFont() const;

    PlayerSession& m_session;
    Profile& m_profile;
    QTreeWidget* m_list;
    QPlainTextEdit* m_text;
    QIcon m_firstIcon;
    QIcon m_nextIcon;
    bool m_icons = true; // "DisplayLyricsIcon"
    bool m_top = true;   // "DisplayLyricsPos": the playing line near the top, else the bottom
    bool m_filled = false;
    // The lines' keys in time order, and each key's first and last row.
    std::vector<int> m_keys;
    std::map<int, std::pair<int, int>> m_rows;
};
