#pragma once

#include <QApplication>

// The application object. An error raised in a user-interface event and not handled there is
// shown in an error box with its text, and the program goes on. Qt's own texts are Portuguese.
class TApplication final : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    void InstallQtTexts();
};
