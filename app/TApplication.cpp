#include "app/TApplication.h"

#include "app/AppLog.h"
#include "gui/TIcons.h"
#include "gui/TMessageBox.h"
#include "gui/TSignInDialog.h"
#include "rest/TSignIn.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("QuorelApi"));
    setApplicationDisplayName(QStringLiteral("QuorelApi"));
    setWindowIcon(TIcons::Of(TIcon::App));
    UsePortugueseWithoutASystemLanguage();
    InstallQtTexts();
    // A back-end that refuses a request for want of credentials gets them asked for.
    TSignIn::SetPrompt(&TSignInDialog::Ask);
}

void TApplication::UsePortugueseWithoutASystemLanguage()
{
    // Under C every comparison is by code point ("Água" after "Paraná") and numbers and dates take
    // no one's format: the program's own language is then the consistent choice.
    if (QLocale::system().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
}

void TApplication::InstallQtTexts()
{
    // The program speaks Portuguese: so do Qt's own texts (standard buttons, edit menus, the calendar).
    auto *texts = new QTranslator(this);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (texts->load(QStringLiteral("qtbase_pt_BR"), folder))
        installTranslator(texts);
    else
        qCWarning(lcApp) << "Qt's Portuguese texts (qtbase_pt_BR.qm) were not found in" << folder;
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
