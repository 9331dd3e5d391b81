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

int TMessageBox::ShowModal(const TMessageBoxCall &call)
{
    if (Handler())
        return Handler()(call);
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(call.Title);
    box.setText(call.Text);
    if (call.Flags == Question) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    } else {
        box.setIcon(call.Flags == Information ? QMessageBox::Information : QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
    }
    CaptionButtons(box);
    const int pressed = box.exec();
    if (call.Flags == Question)
        return pressed == QMessageBox::Yes ? ResultYes : ResultNo;
    return ResultOk;
}

int TMessageBox::Show(const QString &text, int flags, const QString &title)
{
    const TMessageBoxCall call{text, flags, title};
    int result = flags == Question ? ResultNo : ResultOk;
    TGuiSync::Run(qApp, [&] { result = ShowModal(call); });
    return result;
}

int ShowMessageBox(const QString &text, int flags)
{
    QString title;
    TGuiSync::Run(qApp, [&] {
        if (const QWidget *active = QApplication::activeWindow())
            title = active->windowTitle();
    });
    return TMessageBox::Show(text, flags, title);
}

void ShowCurrentError()
{
    try {
        throw;
    } catch (const std::exception &error) {
        ShowMessageBox(QString::fromUtf8(error.what()), TMessageBox::Error);
    } catch (...) {
        ShowMessageBox(QStringLiteral("Erro desconhecido"), TMessageBox::Error);
    }
}
