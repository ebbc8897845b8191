#include "input/ui/ManualKeyDialog.h"

#include "input/KeyFunctions.h"
#include "input/KeyNames.h"
#include "ui/Translated.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

ManualKeyDialog::ManualKeyDialog(QWidget* parent)
    : QDialog(parent), m_keys(new QComboBox(this)), m_hex(new QLabel(this)),
      m_functions(new QComboBox(this)) {
    setWindowTitle(tr("Button Map"));
    const KeyNames names;
    for (const auto& [code, info] : names.Keys())
        m_keys->addItem(QString::number(code), code);
    for (int i = 0; i < KeyFunctions::kManualChoices; ++i)
        m_functions->addItem(Translated(KeyFunctions::Name(i)), i);
    connect(m_keys, &QComboBox::currentIndexChanged, this, &ManualKeyDialog::ShowHex);
    ShowHex();

    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(m_keys, 1);
    keyRow->addWidget(m_hex);
    auto* form = new QFormLayout;
    form->addRow(tr("Button:"), keyRow);
    form->addRow(tr("Function:"), m_functions);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

uint32_t ManualKeyDialog::KeyCode() const {
    return m_keys->currentData().toUInt();
}

int ManualKeyDialog::FunctionIndex() const {
    return m_functions->currentData().toInt();
}

void ManualKeyDialog::ShowHex() {
    m_hex->setText(QString::asprintf("0x%02X", KeyCode()));
}
