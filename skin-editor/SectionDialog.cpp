#include "skin-editor/SectionDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

SectionDialog::SectionDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Insert Section"));
    m_section = new QLineEdit(this);
    m_section->setObjectName("sectionEdit");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Section:"), m_section);
    layout->addRow(buttons);
    setMinimumWidth(320);
}

QString SectionDialog::Section() const {
    return m_section->text();
}
