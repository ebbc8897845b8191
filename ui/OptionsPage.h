#pragma once

#include <QWidget>

// A page of the options sheet. It reads its settings when it is built and fills its controls;
// its window title is the tab's text. On OK the sheet asks every page to Validate (a page that
// refuses shows why and keeps the sheet open) and then to Apply: write its settings and hand the
// live values on. Cancel leaves the settings as they were.
class OptionsPage : public QWidget {
public:
    using QWidget::QWidget;

    virtual bool Validate() { return true; }
    virtual void Apply() {}
};
