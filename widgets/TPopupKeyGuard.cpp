#include "widgets/TPopupKeyGuard.h"

#include <QApplication>
#include <QEvent>

void TPopupKeyGuard::Install()
{
    if (!qApp || qApp->findChild<TPopupKeyGuard *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    qApp->installEventFilter(new TPopupKeyGuard(qApp));
}

bool TPopupKeyGuard::eventFilter(QObject *watched, QEvent *event)
{
    // An accepted shortcut override sends the key to the focus widget instead of the shortcuts.
    if (event->type() == QEvent::ShortcutOverride && QApplication::activePopupWidget()) {
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
