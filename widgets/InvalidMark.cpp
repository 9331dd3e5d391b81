#include "widgets/InvalidMark.h"

#include <QMetaObject>
#include <QVariant>
#include <QWidget>

namespace {

constexpr const char *kInvalidProperty = "invalido";

// The frame only, on the control itself: the selector keeps it off the control's children (the
// search button of a lookup edit).
QString InvalidStyle(const QWidget *control)
{
    return QStringLiteral("%1 { border: 2px solid #c62828; }").arg(QLatin1String(control->metaObject()->className()));
}

} // namespace

void MarkInvalid(QWidget *control, bool invalid)
{
    if (!control || IsMarkedInvalid(control) == invalid)
        return;
    control->setProperty(kInvalidProperty, invalid);
    const QString style = InvalidStyle(control);
    if (invalid && control->styleSheet().isEmpty())
        control->setStyleSheet(style);
    else if (!invalid && control->styleSheet() == style)
        control->setStyleSheet(QString());
}

bool IsMarkedInvalid(const QWidget *control)
{
    return control && control->property(kInvalidProperty).toBool();
}
