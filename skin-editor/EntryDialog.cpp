#include "skin-editor/EntryDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

EntryDialog::EntryDialog(Mode mode, QWidget* parent) : QDialog(parent) {
    setWindowTitle(mode == Insert ? tr("Insert Entry") : tr("Properties"));
    m_section = new QLineEdit(this);
    m_section->setObjectName("sectionEdit");
    m_entry = new QLineEdit(this);
    m_entry->setObjectName("entryEdit");
    m_value = new QLineEdit(this);
    m_value->setObjectName("valueEdit");
    if (mode == Properties) {
        m_section->setReadOnly(true);
        m_entry->setReadOnly(true);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Section:"), m_section);
    layout->addRow(tr("Entry:"), m_entry);
    layout->addRow(tr("Value:"), m_value);
    layout->addRow(buttons);
    setMinimumWidth(400);
    (mode == Properties ? m_value : m_entry)->setFocus();
}

void EntryDialog::SetSection(const QString& section) {
    m_section->setText(section);
}
void EntryDialog::SetEntry(const QString& entry) {
    m_entry->setText(entry);
}
void EntryDialog::SetValue(const QString& value) {
    m_value->setText(value);
}
QString EntryDialog::Section() const {
    return m_section->text();
}
QString EntryDialog::Entry() const {
    return m_entry->text();
}
QString EntryDialog::Value() const {
    return m_value->text();
}
