// A tab page of the main window: told when it becomes the active tab and
// when it stops being it.
#pragma once

#include <QWidget>

class CShellPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void OnSetActive() {}
    virtual void OnKillActive() {}
};
