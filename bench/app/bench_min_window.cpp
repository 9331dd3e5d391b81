// The limit the program's start-up is measured against: a minimal Qt Widgets program that shows
// an empty maximised window and waits. With --labels=N the window shows N lines of text instead,
// which tells how much of the program's start-up is the text stack alone (fonts, shaping, glyphs).

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Janela vazia"));
    const QString labels = QStringLiteral("--labels=");
    for (const QString &argument : QCoreApplication::arguments()) {
        if (!argument.startsWith(labels))
            continue;
        auto *column = new QVBoxLayout(&window);
        for (int i = 0, count = argument.mid(labels.size()).toInt(); i < count; ++i)
            column->addWidget(new QLabel(QStringLiteral("Cadastro %1").arg(i + 1), &window));
    }
    window.showMaximized();
    return app.exec();
}
