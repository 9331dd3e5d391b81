#include "app/TApplication.h"

#include "rest/TMessageBox.h"

#include <QIcon>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("QuorelApi"));
    setApplicationDisplayName(QStringLiteral("QuorelApi"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentError();
    }
    return false;
}
