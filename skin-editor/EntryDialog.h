#pragma once

#include <QDialog>

class QLineEdit;

// Section, entry and value of one entry: empty for Insert Entry (the section pre-filled), or an
// existing entry for Properties, where only the value can change.
class EntryDialog : public QDialog {
    Q_OBJECT
public:
    enum Mode { Insert, Properties };

    explicit EntryDialog(Mode mode, QWidget* parent = nullptr);

    void SetSection(const QString& section);
    void SetEntry(const QString& entry);
    void SetValue(const QString& value);
    QString Section() const;
    QString Entry() const;
    QString Value() const;

private:
    QLineEdit* m_section;
    QLineEdit* m_entry;
    QLineEdit* m_value;
};
