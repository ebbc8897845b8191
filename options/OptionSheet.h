#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class OptionsPage;
class QTabWidget;

// The options sheet: the pages of a page mask in one window with OK and Cancel, so that the same
// sheet is the full "Settings..." sheet and a single-page dialog (Open URL, the lyrics list,
// About). Pages come from makers registered by their mask bit; the sheet knows only the bits'
// order, so a page added later slots in by its bit.
class OptionSheet : public QDialog {
    Q_OBJECT

public:
    // Page mask bits.
    static constexpr uint32_t kGeneral = 0x1;
    static constexpr uint32_t kKeyMap = 0x2;
    static constexpr uint32_t kFileAssociations = 0x4;
    static constexpr uint32_t kAbout = 0x20;
    static constexpr uint32_t kDecoder = 0x40; // "Decoder", then "Streaming"
    static constexpr uint32_t kResourceUsage = 0x80;
    static constexpr uint32_t kLyrics = 0x100;
    static constexpr uint32_t kFont = 0x200;
    static constexpr uint32_t kVisualization = 0x400;
    static constexpr uint32_t kSkin = 0x800;
    static constexpr uint32_t kOpenUrl = 0x1000;
    static constexpr uint32_t kOpenFolder = 0x2000;
    // The masks of the player's commands.
    static constexpr uint32_t kSettingsMask = 0xE47;
    static constexpr uint32_t kAboutMask = 0xA0;

    // The pages of one bit, made as children of `parent` (one or more; none when the page cannot
    // be made here).
    using PageMaker = std::function<std::vector<OptionsPage*>(QWidget* parent)>;
    using PageMakers = std::map<uint32_t, PageMaker>;

    // The bits in the order their pages are added (the tab order).
    static const std::vector<uint32_t>& TabOrder();

    OptionSheet(const QString& title, uint32_t mask, const PageMakers& makers,
                QWidget* parent = nullptr);

    const std::vector<OptionsPage*>& Pages() const { return m_pages; }
    QTabWidget* Tabs() const { return m_tabs; }
    void ShowPage(int index);

    // OK: every page validates (the first that refuses is shown and the sheet stays), then
    // every page applies.
    void accept() override;

private:
    QTabWidget* m_tabs;
    std::vector<OptionsPage*> m_pages;
};
