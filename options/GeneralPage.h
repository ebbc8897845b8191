#pragma once

#include "settings/SettingNames.h"
#include "ui/OptionsPage.h"

#include <vector>

class Profile;
class QListWidget;
class QListWidgetItem;
class QSlider;
class QSpinBox;

// The "Preferences" page: the seek interval, and a list of check boxes each bound to one
// setting. "Use default decoder" is offered only while the Bluetooth stack is not in its
// special mode (which needs the built-in engine).
class GeneralPage : public OptionsPage {
    Q_OBJECT

public:
    explicit GeneralPage(Profile& profile, QWidget* parent = nullptr);

    // Writes "SeekInterval" and the setting of every row.
    void Apply() override;

    QSlider* SeekSlider() const { return m_seek; }
    QSpinBox* SeekNumber() const { return m_seekNumber; }
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
    QListWidget* m_options;
    std::vector<BoundRow> m_rows;
};
