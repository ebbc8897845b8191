#pragma once

#include <QDialog>

#include <cstdint>

class QComboBox;
class QLabel;

// Maps a key chosen from the key table (by its decimal code, the hexadecimal code beside it) to
// a function chosen by name. Shuffle On/Off is offered by the page's own list only.
class ManualKeyDialog : public QDialog {
    Q_OBJECT

public:
    explicit ManualKeyDialog(QWidget* parent = nullptr);

    uint32_t KeyCode() const;
    int FunctionIndex() const;

    QComboBox* KeyList() const { return m_keys; }
    QComboBox* FunctionList() const { return m_functions; }
    QLabel* HexCode() const { return m_hex; }

private:
    void ShowHex();

    QComboBox* m_keys;
    QLabel* m_hex;
    QComboBox* m_functions;
};
