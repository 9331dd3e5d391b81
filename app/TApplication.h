#pragma once

#include <QApplication>

// The application object. An error raised in a user-interface event and not handled there is
// shown in an error box with its text, and the program goes on. Qt's own texts are Portuguese.
// A system that gives no language (C, POSIX) gets Brazilian Portuguese for collation and formats;
// any other keeps the user's formats.
class TApplication final : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    void InstallQtTexts();
    static void UsePortugueseWithoutASystemLanguage();
};
