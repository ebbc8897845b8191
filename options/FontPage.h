#pragma once

#include "settings/Settings.h"
#include "ui/OptionsPage.h"

#include <array>

class Profile;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// The "Font" options page: the seven font slots of the player's windows, one at a time. Every
// slot is edited in memory; OK writes them all and the slot last chosen ("FontKind"). Sizes are
// character heights in pixels, stored as negative heights ("FontHeight%02d" -24 is size 24).
class FontPage : public OptionsPage {
    Q_OBJECT

public:
    // Sizes a typed size may take.
    static constexpr int kMinSize = 6;
    static constexpr int kMaxSize = 72;

    explicit FontPage(Profile& profile, QWidget* parent = nullptr);

    bool Validate() override;
    void Apply() override;

    // The slot being edited, and one slot as edited so far.
    int Slot() const { return m_slot; }
    const FontSetting& Edited(int slot) const { return m_fonts[static_cast<size_t>(slot)]; }
    // The colour a slot's text takes (what the colour picker chose).
    void SetColor(const QColor& color);

    QComboBox* TypeBox() const { return m_type; }
    QComboBox* FaceBox() const { return m_face; }
    QComboBox* SizeBox() const { return m_size; }
    QCheckBox* BoldBox() const { return m_bold; }
    QCheckBox* ItalicBox() const { return m_italic; }
    QCheckBox* UnderlineBox() const { return m_underline; }
    QCheckBox* ClearTypeBox() const { return m_clearType; }
    QPushButton* ColorButton() const { return m_color; }
    QLabel* Preview() const { return m_preview; }
    QLabel* ErrorLabel() const { return m_error; }

    // The font a slot's record stands for.
    static QFont SlotFont(const FontSetting& setting);

private:
    void ShowSlot(int slot);
    void TakeControls();
    void ShowPreview();
    void ChooseColor();
    // The typed size, 0 when it is not a number in range.
    int TypedSize() const;

    Profile& m_profile;
    std::array<FontSetting, 7> m_fonts;
    int m_slot = 0;
    bool m_filling = false;
    QComboBox* m_type;
    QComboBox* m_face;
    QComboBox* m_size;
    QCheckBox* m_bold;
    QCheckBox* m_italic;
    QCheckBox* m_underline;
    QCheckBox* m_clearType;
    QPushButton* m_color;
    QLabel* m_preview;
    QLabel* m_error;
};
