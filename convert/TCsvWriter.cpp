#include "convert/TCsvWriter.h"

#include "convert/TFormatSettings.h"

namespace {

const QChar kSeparator = QLatin1Char(';');

} // namespace

TCsvWriter::TCsvWriter(const QString &fileName, QList<TColumn> columns) : FFile(fileName), FColumns(std::move(columns))
{
}

bool TCsvWriter::Open()
{
    if (!FFile.open(QIODevice::WriteOnly))
        return false;
    QStringList titles;
    for (const TColumn &column : std::as_const(FColumns))
        titles << Field(column.Title);
    return FFile.write("\xEF\xBB\xBF") == 3 && WriteLine(titles);
}

bool TCsvWriter::AppendRecords(const TJson &records)
{
    if (!records.is_array())
        return true;
    for (const TJson &record : records) {
        QStringList fields;
        for (const TColumn &column : std::as_const(FColumns)) {
            const std::string name = column.Name.toStdString();
            const auto member = record.is_object() ? record.find(name) : record.end();
            fields << Field(member == record.end() ? QString() : TextOf(*member));
        }
        if (!WriteLine(fields))
            return false;
    }
    return true;
}

bool TCsvWriter::Commit()
{
    return FFile.commit();
}

QString TCsvWriter::TextOf(const TJson &value)
{
    switch (value.type()) {
    case TJson::value_t::null: return {};
    case TJson::value_t::string: return QString::fromStdString(value.get_ref<const std::string &>());
    case TJson::value_t::number_integer: return QString::number(value.get<qint64>());
    case TJson::value_t::number_unsigned: return QString::number(value.get<quint64>());
    case TJson::value_t::number_float: return TFormatSettings::FloatToText(value.get<double>());
    default: return QString::fromStdString(value.dump());
    }
}

QString TCsvWriter::Field(const QString &text)
{
    const bool quoted = text.contains(kSeparator) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))
                     || text.contains(QLatin1Char('\r'))
                     || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quoted)
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

bool TCsvWriter::WriteLine(const QStringList &fields)
{
    const QByteArray line = (fields.join(kSeparator) + QStringLiteral("\r\n")).toUtf8();
    return FFile.write(line) == line.size();
}
