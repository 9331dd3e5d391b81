#pragma once

#include <QObject>

// Gives an open pop-up (a combo list, a calendar, a completer, a menu) the keys typed while it is
// open: no window shortcut acts on them, so Esc closes the pop-up and nothing else. One instance
// per application, installed on the application object; it owns nothing.
class TPopupKeyGuard final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TPopupKeyGuard)

public:
    // Installs the guard once; later calls do nothing. Needs the application object.
    static void Install();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
