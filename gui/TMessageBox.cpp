#include "gui/TMessageBox.h"

#include "rest/TGuiSync.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace {

TMessageBox::THandler &Handler()
{
    static TMessageBox::THandler handler;
    return handler;
}

// The buttons carry the program's own Portuguese captions, whatever translation of Qt is loaded.
void CaptionButtons(QMessageBox &box)
{
    static const std::pair<QMessageBox::StandardButton, const char *> captions[] = {
        {QMessageBox::Ok, "OK"},
        {QMessageBox::Yes, "Sim"},
        {QMessageBox::No, "Não"},
    };
    for (const auto &[which, caption] : captions)
        if (QAbstractButton *button = box.button(which))
            button->setText(QString::fromUtf8(caption));
}

} // namespace

void TMessageBox::SetHandler(THandler handler)
{
    Handler() = std::move(handler);
}

TMessageResult TMessageBox::ShowModal(const TMessageBoxCall &call)
{
    if (Handler())
        return Handler()(call);
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(call.Title);
    box.setText(call.Text);
    if (call.Kind == TMessageKind::Question) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    } else {
        box.setIcon(call.Kind == TMessageKind::Information ? QMessageBox::Information : QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
    }
    CaptionButtons(box);
    const int pressed = box.exec();
    if (call.Kind == TMessageKind::Question)
        return pressed == QMessageBox::Yes ? TMessageResult::Yes : TMessageResult::No;
    return TMessageResult::Ok;
}

TMessageResult TMessageBox::Show(const QString &text, TMessageKind kind, const QString &title)
{
    const TMessageBoxCall call{text, kind, title};
    TMessageResult result = kind == TMessageKind::Question ? TMessageResult::No : TMessageResult::Ok;
    TGuiSync::Run(qApp, [&] { result = ShowModal(call); });
    return result;
}

TMessageResult ShowMessageBox(const QString &text, TMessageKind kind)
{
    QString title;
    TGuiSync::Run(qApp, [&] {
        if (const QWidget *active = QApplication::activeWindow())
            title = active->windowTitle();
    });
    return TMessageBox::Show(text, kind, title);
}

void ShowCurrentError()
{
    try {
        throw;
    } catch (const std::exception &error) {
        ShowMessageBox(QString::fromUtf8(error.what()), TMessageKind::Error);
    } catch (...) {
        ShowMessageBox(QStringLiteral("Erro desconhecido"), TMessageKind::Error);
    }
}
