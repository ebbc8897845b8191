#pragma once

#include <QDialog>

class QLineEdit;

// Asks for the name of a new section.
class SectionDialog : public QDialog {
    Q_OBJECT
public:
    explicit SectionDialog(QWidget* parent = nullptr);

    QString Section() const;

private:
    QLineEdit* m_section;
};
