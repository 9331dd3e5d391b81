#pragma once

#include "rest/JsonUtils.h"

#include <QList>
#include <QSaveFile>
#include <QString>

// Writes records as a CSV file that spreadsheet programs open directly: UTF-8 with a byte-order
// mark, ";" between fields, numbers with the user's decimal separator, a field quoted (quotes
// doubled) when it holds a separator, a quote, a line break or blanks at either end, lines ended
// by CRLF, the column titles first. Owns the file being written: it appears under its name only
// when Commit() succeeds (a temporary file is renamed), and is dropped otherwise.
class TCsvWriter final
{
public:
    struct TColumn
    {
        QString Name;  // the member of each record
        QString Title; // the first line's text
    };

    TCsvWriter(const QString &fileName, QList<TColumn> columns);

    // Starts the file with the mark and the titles; false when it cannot be made (see ErrorString).
    bool Open();
    // Appends one line per element of records; members missing or null give empty fields.
    bool AppendRecords(const TJson &records);
    // Puts the file in place; false (and nothing in place) when writing failed.
    bool Commit();
    QString ErrorString() const { return FFile.errorString(); }

    // A value as its field: numbers in the user's format, text as it is, anything else as JSON.
    static QString TextOf(const TJson &value);
    // Quoted when the text needs it.
    static QString Field(const QString &text);

private:
    bool WriteLine(const QStringList &fields);

    QSaveFile FFile;
    QList<TColumn> FColumns;
};
