#include "options/OptionSheet.h"

#include "ui/OptionsPage.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

const std::vector<uint32_t>& OptionSheet::TabOrder() {
    static const std::vector<uint32_t> order = {
        kGeneral, kVisualization, kFont,   kKeyMap, kDecoder, kFileAssociations,
        kAbout,   kResourceUsage, kLyrics, kSkin,   kOpenUrl, kOpenFolder};
    return order;
}

OptionSheet::OptionSheet(const QString& title, uint32_t mask, const PageMakers& makers,
                         QWidget* parent)
    : QDialog(parent), m_tabs(new QTabWidget(this)) {
    setWindowTitle(title);
    // Every tab shows its whole text: the sheet is as wide as its tabs, at any font size.
    m_tabs->setUsesScrollButtons(false);
    for (uint32_t bit : TabOrder()) {
        const auto maker = makers.find(bit);
        if (!(mask & bit) || maker == makers.end())
            continue;
        for (OptionsPage* page : maker->second(m_tabs)) {
            if (!page)
                continue;
            m_tabs->addTab(page, page->windowTitle());
            // A page that changes its title (a caption that follows the track) renames its tab.
            connect(page, &QWidget::windowTitleChanged, m_tabs, [this, page](const QString& text) {
                m_tabs->setTabText(m_tabs->indexOf(page), text);
            });
            m_pages.push_back(page);
        }
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionSheet::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

void OptionSheet::ShowPage(int index) {
    m_tabs->setCurrentIndex(index);
}

void OptionSheet::accept() {
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (!m_pages[i]->Validate()) {
            ShowPage(static_cast<int>(i));
            return;
        }
    }
    for (OptionsPage* page : m_pages)
        page->Apply();
    QDialog::accept();
}
