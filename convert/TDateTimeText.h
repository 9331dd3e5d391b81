#pragma once

#include <QDateTime>
#include <QString>

// Dates and times exchanged as text: parsing by fixed character positions (the separators are
// not examined) and the fixed output formats. Parse errors raise EConvertError.
class TDateTimeText final
{
public:
    // "yyyy-mm-dd": year 1-4, month 6-7, day 9-10.
    static QDateTime ParseDate(const QString &text);
    // "hh:nn:ss": hour 1-2, minute 4-5, second 7-8; the date part is 1899-12-30.
    static QDateTime ParseTime(const QString &text);
    // "yyyy-mm-ddThh:nn:ss...": everything after the seconds is ignored.
    static QDateTime ParseDateTime(const QString &text);

    static QString FormatDate(const QDateTime &value);
    // Uses the user's time separator.
    static QString FormatTime(const QDateTime &value);
    // Always "yyyy-mm-dd hh:nn:ss".
    static QString FormatDateTime(const QDateTime &value);

    // The day on which bare times lie.
    static QDate ZeroDate() { return QDate(1899, 12, 30); }
};
