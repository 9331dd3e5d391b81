#include "widgets/TFieldMark.h"

#include <QMetaProperty>
#include <QWidget>

TFieldMark::TFieldMark(QWidget *control, const QString &why)
    : QObject(control),
      FPalette(control->palette()),
      FToolTip(control->toolTip()),
      FAutoFill(control->autoFillBackground())
{
    setObjectName(QStringLiteral("TFieldMark"));
    QPalette palette = FPalette;
    for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window})
        palette.setColor(role, MarkColor);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
    control->setToolTip(why);
    // Any change of the value the control stands for takes the mark away.
    const QMetaProperty value = control->metaObject()->userProperty();
    if (value.hasNotifySignal())
        connect(control, value.notifySignal(), this, metaObject()->method(metaObject()->indexOfMethod("Remove()")));
}

TFieldMark *TFieldMark::Of(const QWidget *control)
{
    return control ? control->findChild<TFieldMark *>(QStringLiteral("TFieldMark"), Qt::FindDirectChildrenOnly)
                   : nullptr;
}

QWidget *TFieldMark::Control() const
{
    return static_cast<QWidget *>(parent());
}

void TFieldMark::Mark(QWidget *control, const QString &why)
{
    if (!control)
        return;
    if (Of(control)) {
        control->setToolTip(why);
        return;
    }
    new TFieldMark(control, why);
}

void TFieldMark::Clear(QWidget *control)
{
    if (TFieldMark *mark = Of(control))
        mark->Remove();
}

bool TFieldMark::IsMarked(const QWidget *control)
{
    return Of(control) != nullptr;
}

void TFieldMark::Remove()
{
    QWidget *control = Control();
    if (!control) // already taken away, its deletion pending
        return;
    disconnect(control, nullptr, this, nullptr);
    control->setPalette(FPalette);
    control->setAutoFillBackground(FAutoFill);
    control->setToolTip(FToolTip);
    // Gone at once, so the control counts as unmarked from here on.
    setParent(nullptr);
    deleteLater();
}
