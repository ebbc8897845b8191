#pragma once

#include "playlist/StationList.h"
#include "ui/OptionsPage.h"

#include <functional>
#include <memory>
#include <string>

class PlaylistHost;
class Profile;
class QLineEdit;
class QMenu;
class QTreeWidget;

// The "Open URL" page: the internet radio list kept in the "ShoutCast" section (three stations
// are written when it is empty), an address and a title box that a selected row fills, a menu
// on the list (import a ".pls" list, move a row up or down, delete one or all), rows dragged
// to another place. OK writes the list back in its order and hands the address on; a new
// address is kept as one more station.
class OpenUrlPage : public OptionsPage {
    Q_OBJECT

public:
    using OpenAddress = std::function<void(const std::u16string& address)>;

    explicit OpenUrlPage(Profile& profile, OpenAddress open = {}, QWidget* parent = nullptr);
    ~OpenUrlPage() override;

    void Apply() override;

    // Builds the list's menu for the selected row (none: "Open..." only).
    void FillMenu(QMenu& menu);
    // Moves a row one place (-1 up, +1 down), keeping it selected; its new row.
    int MoveRow(int row, int step);
    void DeleteRow(int row);
    void DeleteAll();
    // Asks for a ".pls" file and adds its new stations.
    void Import();
    // Adds the new stations of a ".pls" file; the rows added.
    int ImportFile(const QString& path);

    QTreeWidget* List() const { return m_list; }
    QLineEdit* AddressBox() const { return m_address; }
    QLineEdit* TitleBox() const { return m_title; }
    // The address handed on by the last OK; empty when there was none to open.
    const std::u16string& Chosen() const { return m_chosen; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddRow(const StationList::Station& station);
    int SelectedRow() const;
    void Select(int row);
    void DragTo(int y);

    Profile& m_profile;
    OpenAddress m_open;
    std::unique_ptr<PlaylistHost> m_host;
    StationList m_stations;
    QTreeWidget* m_list;
    QLineEdit* m_address;
    QLineEdit* m_title;
    QString m_importFolder;
    int m_dragRow = -1;
    std::u16string m_chosen;
};
