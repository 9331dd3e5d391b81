#include "screens/CollectFilterParams.h"

#include "rest/TApiPaths.h"
#include "widgets/TLXSearchEdit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace {

constexpr const char *kNumbersOnly = "NumbersOnly";

bool IsDigits(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A whole number as the server reads it: leading zeros dropped, every digit kept.
QString NumberText(const QString &text)
{
    if (text.isEmpty() || !IsDigits(text))
        return text;
    const qsizetype firstSignificant = text.indexOf(QRegularExpression(QStringLiteral("[1-9]")));
    return firstSignificant < 0 ? QStringLiteral("0") : text.mid(firstSignificant);
}

// The query value of one named input; empty sends nothing.
QString InputValue(const QWidget *input)
{
    if (const auto *lookup = qobject_cast<const TLXSearchEdit *>(input))
        return lookup->KeyValue();
    if (const auto *edit = qobject_cast<const QLineEdit *>(input))
        return IsNumbersOnly(edit) ? NumberText(edit->text()) : edit->text();
    if (const auto *check = qobject_cast<const QCheckBox *>(input))
        return check->isChecked() ? QStringLiteral("-1") : QStringLiteral("0");
    return {};
}

} // namespace

void CollectFilterParams(const QWidget *container, QString &text)
{
    for (const QWidget *child : container->findChildren<const QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QString name = child->objectName();
        if (name.isEmpty()) {
            CollectFilterParams(child, text);
            continue;
        }
        // Qt's own inner parts (viewports and the like) are no inputs.
        if (name.startsWith(QLatin1String("qt_")))
            continue;
        const QString value = InputValue(child);
        if (!value.isEmpty())
            text += TApiPaths::QueryParam(name, value);
    }
}

void SetNumbersOnly(QLineEdit *edit)
{
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    edit->setProperty(kNumbersOnly, true);
}

bool IsNumbersOnly(const QLineEdit *edit)
{
    return edit->property(kNumbersOnly).toBool();
}
