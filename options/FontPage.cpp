#include "options/FontPage.h"

#include "settings/SettingNames.h"
#include "ui/TextFont.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

using namespace setting;

namespace {

constexpr int kSizes[] = {8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 20};

QColor FromColorRef(uint32_t color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

uint32_t ToColorRef(const QColor& color) {
    return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
           (static_cast<uint32_t>(color.blue()) << 16);
}

int SizeOf(const FontSetting& font) {
    return font.height < 0 ? -font.height : (font.height > 0 ? font.height : 24);
}

} // namespace

FontPage::FontPage(Profile& profile, QWidget* parent) : OptionsPage(parent), m_profile(profile) {
    setWindowTitle(tr("Font"));
    static_assert(std::tuple_size_v<decltype(m_fonts)> == kFontSlots);
    for (int slot = 0; slot < kFontSlots; ++slot)
        m_fonts[static_cast<size_t>(slot)] = Settings::Font(profile, slot);

    m_type = new QComboBox(this);
    m_type->setObjectName("FontType");
    m_type->addItems({tr("Default"), tr("Display"), tr("Playlist"), tr("Lyrics list"), tr("Lyrics"),
                      tr("Next lyrics line"), tr("Favorites")});
    m_face = new QComboBox(this);
    m_face->setObjectName("FontFace");
    m_face->addItems(QFontDatabase::families());
    m_size = new QComboBox(this);
    m_size->setObjectName("FontSize");
    m_size->setEditable(true);
    m_size->setInsertPolicy(QComboBox::NoInsert);
    for (int size : kSizes)
        m_size->addItem(QString::number(size));
    m_bold = new QCheckBox(tr("Bold"), this);
    m_italic = new QCheckBox(tr("Italic"), this);
    m_underline = new QCheckBox(tr("Underline"), this);
    m_clearType = new QCheckBox(tr("ClearType"), this);
    m_color = new QPushButton(tr("Font Color"), this);
    m_preview = new QLabel(this);
    m_preview->setObjectName("FontPreview");
    m_preview->setAutoFillBackground(true);
    m_preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_preview->setMargin(4);
    m_error = new QLabel(this);
    m_error->setStyleSheet(QStringLiteral("color: red"));
    m_error->hide();

    auto* preview = new QScrollArea(this);
    preview->setWidget(m_preview);
    preview->setWidgetResizable(true);
    preview->setMinimumHeight(120);

    auto* form = new QFormLayout;
    form->addRow(tr("Type:"), m_type);
    form->addRow(tr("Font:"), m_face);
    form->addRow(tr("Size:"), m_size);
    auto* styles = new QGridLayout;
    styles->addWidget(m_bold, 0, 0);
    styles->addWidget(m_italic, 0, 1);
    styles->addWidget(m_underline, 1, 0);
    styles->addWidget(m_clearType, 1, 1);
    styles->addWidget(m_color, 0, 2, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(styles);
    layout->addWidget(m_error);
    layout->addWidget(preview, 1);

    const int kind = Settings::Get(profile, kFontKind);
    ShowSlot(kind >= 0 && kind < kFontSlots ? kind : 0);

    connect(m_type, &QComboBox::currentIndexChanged, this, [this](int slot) {
        if (!m_filling && slot >= 0)
            ShowSlot(slot);
    });
    connect(m_face, &QComboBox::currentIndexChanged, this, &FontPage::TakeControls);
    connect(m_size, &QComboBox::currentTextChanged, this, &FontPage::TakeControls);
    for (QCheckBox* box : {m_bold, m_italic, m_underline, m_clearType})
        connect(box, &QCheckBox::toggled, this, &FontPage::TakeControls);
    connect(m_color, &QPushButton::clicked, this, &FontPage::ChooseColor);
}

QFont FontPage::SlotFont(const FontSetting& setting) {
    QFont font = WithHangul(QFont(QString::fromStdU16String(setting.face)));
    font.setPixelSize(SizeOf(setting));
    font.setBold(setting.Weight() >= 700);
    font.setItalic(setting.Italic());
    font.setUnderline(setting.Underline());
    font.setStyleStrategy(setting.ClearType() ? QFont::PreferAntialias : QFont::NoAntialias);
    return font;
}

// Fills the controls from a slot's record; a face or size the lists lack is added to them.
void FontPage::ShowSlot(int slot) {
    m_filling = true;
    m_slot = slot;
    const FontSetting& font = m_fonts[static_cast<size_t>(slot)];
    m_type->setCurrentIndex(slot);
    const QString face = QString::fromStdU16String(font.face);
    if (m_face->findText(face) < 0)
        m_face->insertItem(0, face);
    m_face->setCurrentIndex(m_face->findText(face));
    const QString size = QString::number(SizeOf(font));
    if (m_size->findText(size) < 0) {
        int at = 0;
        while (at < m_size->count() && m_size->itemText(at).toInt() < SizeOf(font))
            ++at;
        m_size->insertItem(at, size);
    }
    m_size->setCurrentIndex(m_size->findText(size));
    m_bold->setChecked(font.Weight() >= 700);
    m_italic->setChecked(font.Italic());
    m_underline->setChecked(font.Underline());
    m_clearType->setChecked(font.ClearType());
    m_filling = false;
    m_error->hide();
    ShowPreview();
}

// A change of a control goes into the slot's record; a size being typed goes in once it is a
// size in range.
void FontPage::TakeControls() {
    if (m_filling)
        return;
    FontSetting& font = m_fonts[static_cast<size_t>(m_slot)];
    font.face = m_face->currentText().toStdU16String();
    if (const int size = TypedSize())
        font.height = -size;
    font.style = (m_bold->isChecked() ? 1 : 0) | (m_underline->isChecked() ? 2 : 0) |
                 (m_italic->isChecked() ? 4 : 0) | (m_clearType->isChecked() ? 8 : 0);
    ShowPreview();
}

void FontPage::SetColor(const QColor& color) {
    m_fonts[static_cast<size_t>(m_slot)].color = ToColorRef(color);
    ShowPreview();
}

void FontPage::ChooseColor() {
    const QColor chosen = QColorDialog::getColor(
        FromColorRef(m_fonts[static_cast<size_t>(m_slot)].color), this, tr("Font Color"));
    if (chosen.isValid())
        SetColor(chosen);
}

// The sample text in the slot's font and colour, on the dark ground the player's displays have.
void FontPage::ShowPreview() {
    const FontSetting& font = m_fonts[static_cast<size_t>(m_slot)];
    QPalette palette = m_preview->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, FromColorRef(font.color));
    m_preview->setPalette(palette);
    m_preview->setFont(SlotFont(font));
    m_preview->setText(tr("ABCDEFGHIJKLMNOPQRSTUVWXYZ\nabcdefghijklmnopqrstuvwxyz\n"
                          "1234567890.:,;(:*!?'\nThe quick brown fox jumps\nover the lazy dog."));
    const QPixmap swatch = [&font] {
        QPixmap pixmap(12, 12);
        pixmap.fill(FromColorRef(font.color));
        return pixmap;
    }();
    m_color->setIcon(swatch);
}

int FontPage::TypedSize() const {
    bool number = false;
    const int size = m_size->currentText().trimmed().toInt(&number);
    return number && size >= kMinSize && size <= kMaxSize ? size : 0;
}

bool FontPage::Validate() {
    if (TypedSize())
        return true;
    m_error->setText(tr("Enter a size from %1 to %2.").arg(kMinSize).arg(kMaxSize));
    m_error->show();
    m_size->setFocus();
    m_size->lineEdit()->selectAll();
    return false;
}

void FontPage::Apply() {
    for (int slot = 0; slot < kFontSlots; ++slot) {
        const FontSetting& font = m_fonts[static_cast<size_t>(slot)];
        const auto number = [this, slot](const char* format, int32_t value) {
            const std::u16string name = Settings::IndexedName(format, slot);
            Settings::Set(m_profile, NumberSetting{name.c_str(), 0}, value);
        };
        const std::u16string face = Settings::IndexedName(kFontNameFormat, slot);
        Settings::Set(m_profile, TextSetting{face.c_str(), u""}, font.face);
        number(kFontHeightFormat, font.height);
        number(kFontStyleFormat, font.style);
        number(kFontColorFormat, static_cast<int32_t>(font.color));
    }
    Settings::Set(m_profile, kFontKind, m_slot);
}
