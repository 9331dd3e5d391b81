// The limit the program's start-up is measured against: a minimal Qt Widgets program that does
// what the program's first window needs and nothing more. It fetches the menu with one synchronous
// libcurl GET before any window exists (--menu=URL), then shows a maximised window with a filter
// box and one label per menu entry in a 230-pixel scrolling side bar, and waits. Without --menu it
// shows the same window with an empty side bar.

#include <curl/curl.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

namespace {

size_t Append(char *data, size_t size, size_t count, void *body)
{
    static_cast<QByteArray *>(body)->append(data, qsizetype(size * count));
    return size * count;
}

QByteArray Get(const QByteArray &url)
{
    QByteArray body;
    CURL *curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return body;
}

QStringList Captions(const QByteArray &menu)
{
    QStringList captions;
    for (const QJsonValue &entry : QJsonDocument::fromJson(menu).array())
        captions << entry.toObject().value(QStringLiteral("descricao")).toString();
    return captions;
}

} // namespace

int main(int argc, char **argv)
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    QApplication app(argc, argv);
    const QString option = QStringLiteral("--menu=");
    QStringList captions;
    for (const QString &argument : QCoreApplication::arguments())
        if (argument.startsWith(option))
            captions = Captions(Get(argument.mid(option.size()).toUtf8()));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Janela mínima"));
    auto *row = new QHBoxLayout(&window);
    row->setContentsMargins(0, 0, 0, 0);
    auto *sideBar = new QWidget(&window);
    sideBar->setFixedWidth(230);
    auto *column = new QVBoxLayout(sideBar);
    column->addWidget(new QLineEdit(sideBar));
    auto *scroll = new QScrollArea(sideBar);
    scroll->setWidgetResizable(true);
    auto *links = new QWidget;
    auto *stack = new QVBoxLayout(links);
    for (const QString &caption : captions)
        stack->addWidget(new QLabel(caption, links));
    stack->addStretch(1);
    scroll->setWidget(links);
    column->addWidget(scroll, 1);
    row->addWidget(sideBar);
    row->addStretch(1);
    window.showMaximized();
    const int result = app.exec();
    curl_global_cleanup();
    return result;
}
