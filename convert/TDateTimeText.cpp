#include "convert/TDateTimeText.h"

#include "convert/EConvertError.h"
#include "convert/TFormatSettings.h"

namespace {

// Reads characters [from, from + count) (counted from 1) as a decimal integer.
int Part(const QString &text, int from, int count)
{
    const QString part = text.mid(from - 1, count);
    bool ok = false;
    const int value = part.toInt(&ok, 10);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(part).toStdString());
    return value;
}

bool ValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && QDate::isValid(year, month, day);
}

bool ValidTime(int hour, int minute, int second)
{
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QDateTime TDateTimeText::ParseDate(const QString &text)
{
    const int year = Part(text, 1, 4), month = Part(text, 6, 2), day = Part(text, 9, 2);
    if (!ValidDate(year, month, day))
        throw EConvertError("Invalid argument to date encode");
    return QDateTime(QDate(year, month, day), QTime(0, 0), Qt::UTC);
}

QDateTime TDateTimeText::ParseTime(const QString &text)
{
    const int hour = Part(text, 1, 2), minute = Part(text, 4, 2), second = Part(text, 7, 2);
    if (!ValidTime(hour, minute, second))
        throw EConvertError("Invalid argument to time encode");
    return QDateTime(ZeroDate(), QTime(hour, minute, second), Qt::UTC);
}

QDateTime TDateTimeText::ParseDateTime(const QString &text)
{
    const int year = Part(text, 1, 4), month = Part(text, 6, 2), day = Part(text, 9, 2);
    const int hour = Part(text, 12, 2), minute = Part(text, 15, 2), second = Part(text, 18, 2);
    if (!ValidDate(year, month, day) || !ValidTime(hour, minute, second))
        throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text).toStdString());
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

QString TDateTimeText::FormatDate(const QDateTime &value)
{
    return value.date().toString(QStringLiteral("yyyy-MM-dd"));
}

QString TDateTimeText::FormatTime(const QDateTime &value)
{
    const QTime time = value.time();
    const QString separator = TFormatSettings::TimeSeparator();
    return TwoDigits(time.hour()) + separator + TwoDigits(time.minute()) + separator + TwoDigits(time.second());
}

QString TDateTimeText::FormatDateTime(const QDateTime &value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
