#pragma once

#include "ui/OptionsPage.h"

#include <cstdint>

class Profile;
class QCheckBox;
class QComboBox;
class QTreeWidget;

// The "Button map" page: the stored key map as rows of button, function and key code, in the
// order they are saved. A tap and hold on the list offers moving a row, mapping a key by
// pressing it (to the function chosen below the list) or by choosing it from the key table,
// unmapping and going back to the default map. Rows can also be dragged into place. OK saves
// the rows in list order and whether the buttons keep working behind other programs.
class KeyMapPage : public OptionsPage {
    Q_OBJECT

public:
    // Columns of the list.
    enum { kButtonColumn, kFunctionColumn, kCodeColumn };

    explicit KeyMapPage(Profile& profile, QWidget* parent = nullptr);

    void Apply() override;

    // Updates the row of the key (the same button text) or appends one, then selects it.
    void MapKey(uint32_t keyCode, bool dbl, int functionIndex);
    // Captures a key for the function chosen in the function list.
    void AutoMap();
    void ManualMap();
    // Moves the selected row one place up (-1) or down (1).
    void MoveSelected(int step);
    void Unmap();
    void UnmapAll();
    // Writes the default map to the settings at once and lists it again.
    void Initialize();

    QTreeWidget* List() const { return m_list; }
    QComboBox* FunctionList() const { return m_functions; }
    QCheckBox* KeepBox() const { return m_keep; }

private:
    void Fill();
    void ShowMenu(const QPoint& position);

    Profile& m_profile;
    QTreeWidget* m_list;
    QComboBox* m_functions;
    QCheckBox* m_keep;
};
