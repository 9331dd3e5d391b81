#include "fields/TDecimalValidator.h"

#include <QLocale>

TDecimalValidator::TDecimalValidator(QObject *parent) : QDoubleValidator(parent)
{
    setNotation(QDoubleValidator::StandardNotation);
    QLocale shown;
    shown.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    setLocale(shown);
}

QValidator::State TDecimalValidator::validate(QString &input, int &pos) const
{
    const QString separator = locale().decimalPoint();
    if (separator != QLatin1String("."))
        input.replace(QLatin1Char('.'), separator);
    return QDoubleValidator::validate(input, pos);
}
