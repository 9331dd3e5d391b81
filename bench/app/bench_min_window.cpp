// The limit the program's start-up is measured against: a minimal Qt Widgets program that shows
// an empty maximised window and waits.

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Janela vazia"));
    window.showMaximized();
    return app.exec();
}
