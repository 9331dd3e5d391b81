#include "convert/TFormatSettings.h"

#include <QLocale>

#include <cmath>
#include <cstdlib>

QString TFormatSettings::DecimalSeparator()
{
    return QLocale().decimalPoint();
}

QString TFormatSettings::TimeSeparator()
{
    // The separator is the first character after the hours in the locale's short time format.
    const QString format = QLocale().timeFormat(QLocale::ShortFormat);
    const qsizetype hour = format.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    if (hour < 0)
        return QStringLiteral(":");
    qsizetype i = hour;
    while (i < format.size() && (format.at(i) == QLatin1Char('h') || format.at(i) == QLatin1Char('H')))
        ++i;
    if (i >= format.size() || format.at(i).isLetter() || format.at(i) == QLatin1Char('\''))
        return QStringLiteral(":");
    return format.mid(i, 1);
}

QString TFormatSettings::FloatToText(double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

QString TFormatSettings::CurrencyToText(qint64 tenThousandths)
{
    const bool negative = tenThousandths < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(tenThousandths) : quint64(tenThousandths);
    QString decimals = QStringLiteral("%1").arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
    while (decimals.size() > 2 && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    return (negative ? QStringLiteral("-") : QString()) + QString::number(magnitude / 10000) + DecimalSeparator()
        + decimals;
}

bool TFormatSettings::TextToFloat(const QString &text, double &value)
{
    bool ok = false;
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    value = locale.toDouble(text.trimmed(), &ok);
    if (!ok)
        value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok;
}
