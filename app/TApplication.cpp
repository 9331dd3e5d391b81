#include "app/TApplication.h"

#include "rest/TMessageBox.h"

#include <QIcon>

#include <exception>

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
    } catch (const std::exception &error) {
        ShowMessageBox(QString::fromUtf8(error.what()), TMessageBox::Error);
    } catch (...) {
        ShowMessageBox(QStringLiteral("Erro desconhecido"), TMessageBox::Error);
    }
    return false;
}
