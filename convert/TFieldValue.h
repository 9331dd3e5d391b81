#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>
#include <variant>

class TRecordTable;

// One cell of a record table. Which alternative a field uses follows its type: text as QString,
// every integer type as qint64, floating types as double, money as qint64 ten-thousandths,
// dates and times as QDateTime (UTC, so no daylight-saving gap can shift them), blobs as
// QByteArray and nested tables as a shared table. std::monostate is null.
using TFieldValue
    = std::variant<std::monostate, bool, qint64, double, QString, QByteArray, QDateTime, std::shared_ptr<TRecordTable>>;
