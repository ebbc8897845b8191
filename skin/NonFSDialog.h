#pragma once

#include <QDialog>

// The base of dialogs that keep the size they were given instead of growing to the screen: the
// size at the first showing is fixed, and requests to maximise or go full screen are turned back
// to the normal state.
class NonFSDialog : public QDialog {
public:
    explicit NonFSDialog(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool m_sizeKept = false;
};
