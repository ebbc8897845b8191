#pragma once

#include "settings/SettingNames.h"
#include "ui/OptionsPage.h"

#include <vector>

class Profile;
class QComboBox;
class QListWidget;
class QListWidgetItem;
class QSlider;
class QSpinBox;

// The "Preferences" page: the seek interval, the zoom, and a list of check boxes each bound to one
// setting. "Use default decoder" is offered only while the Bluetooth stack is not in its
// special mode (which needs the built-in engine).
class GeneralPage : public OptionsPage {
    Q_OBJECT

public:
    explicit GeneralPage(Profile& profile, QWidget* parent = nullptr);

    // Writes "SeekInterval", "Zoom" and the setting of every row.
    void Apply() override;

    QSlider* SeekSlider() const { return m_seek; }
    QSpinBox* SeekNumber() const { return m_seekNumber; }
    // The zooms offered; each item's data is its percent.
    QComboBox* Zoom() const { return m_zoom; }
    QListWidget* Options() const { return m_options; }
    // The row of a setting; null when the page does not show it.
    QListWidgetItem* Row(const NumberSetting& value) const;

private:
    struct BoundRow {
        NumberSetting value;
        QListWidgetItem* item;
    };

    Profile& m_profile;
    QSlider* m_seek;
    QSpinBox* m_seekNumber;
    QComboBox* m_zoom;
    QListWidget* m_options;
    std::vector<BoundRow> m_rows;
};
