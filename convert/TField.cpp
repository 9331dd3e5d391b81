#include "convert/TField.h"

#include "convert/EConvertError.h"
#include "convert/EDatabaseError.h"
#include "convert/TDateTimeText.h"
#include "convert/TFieldDef.h"
#include "convert/TFormatSettings.h"
#include "convert/TRecordTable.h"

#include <QIODevice>
#include <QLocale>

#include <cmath>
#include <limits>

namespace {

enum class Kind { Text, Integer, Float, Currency, Boolean, DateTime, Blob, DataSet, Other };

Kind KindOf(TFieldType type)
{
    switch (type) {
    case ftString:
    case ftWideString:
    case ftFixedChar:
    case ftMemo:
    case ftWideMemo:
        return Kind::Text;
    case ftShortint:
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
    case ftLargeint:
    case ftWord:
    case ftByte:
    case ftLongWord:
        return Kind::Integer;
    case ftFloat:
    case ftSingle:
    case ftBCD:
    case ftFMTBcd:
    case ftExtended:
        return Kind::Float;
    case ftCurrency:
        return Kind::Currency;
    case ftBoolean:
        return Kind::Boolean;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
        return Kind::DateTime;
    case ftBlob:
    case ftGraphic:
    case ftStream:
    case ftBytes:
    case ftVarBytes:
        return Kind::Blob;
    case ftDataSet:
        return Kind::DataSet;
    default:
        return Kind::Other;
    }
}

bool IsSizedText(TFieldType type)
{
    return type == ftString || type == ftWideString || type == ftFixedChar;
}

// Cuts a text to a width, never leaving half of a surrogate pair at the end.
QString CutToSize(const QString &text, int size)
{
    if (size <= 0 || text.size() <= size)
        return text;
    qsizetype cut = size;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut);
}

std::pair<qint64, qint64> RangeOf(TFieldType type)
{
    switch (type) {
    case ftShortint:
        return {-128, 127};
    case ftSmallint:
        return {-32768, 32767};
    case ftInteger:
    case ftAutoInc:
        return {std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()};
    case ftByte:
        return {0, 255};
    case ftWord:
        return {0, 65535};
    case ftLongWord:
        return {0, std::numeric_limits<quint32>::max()};
    default:
        return {std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()};
    }
}

qint64 TextToInteger(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 10);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
    return value;
}

double TextToFloat(const QString &text)
{
    double value = 0;
    if (!TFormatSettings::TextToFloat(text, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text).toStdString());
    return value;
}

bool TextToBoolean(const QString &text)
{
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(text).toStdString());
}

QDateTime TextToDateTime(const QString &text)
{
    QDateTime value = QDateTime::fromString(text.trimmed(), Qt::ISODate);
    if (!value.isValid()) {
        const QDate date = QDate::fromString(text.trimmed(), Qt::ISODate);
        const QTime time = QTime::fromString(text.trimmed(), Qt::ISODate);
        if (date.isValid())
            value = QDateTime(date, QTime(0, 0), Qt::UTC);
        else if (time.isValid())
            value = QDateTime(TDateTimeText::ZeroDate(), time, Qt::UTC);
        else
            throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text).toStdString());
    }
    return QDateTime(value.date(), value.time(), Qt::UTC);
}

qint64 CurrencyUnits(double value)
{
    const double units = std::nearbyint(value * 10000.0); // ties to even in the default rounding mode
    if (!std::isfinite(units) || std::fabs(units) >= 9.2e18)
        throw EConvertError("Value out of range for a money field");
    return qint64(units);
}

} // namespace

TField::TField(TRecordTable *table, int index, const TFieldDef &def)
    : FTable(table),
      FIndex(index),
      FFieldName(def.Name),
      FDataType(def.DataType()),
      FSize(def.Size),
      FDisplayLabel(def.DisplayLabel),
      FReadOnly(def.ReadOnly),
      FProviderFlags(def.ProviderFlags),
      FOrigin(def.Origin)
{ }

void TField::SetDisplayLabel(const QString &label)
{
    if (label == FDisplayLabel)
        return;
    FDisplayLabel = label;
    FTable->NotifyFieldChanged(FIndex);
}

const TFieldValue &TField::Value() const
{
    return FTable->CurrentCell(FIndex);
}

bool TField::IsNull() const
{
    return std::holds_alternative<std::monostate>(Value());
}

void TField::Clear()
{
    Store(std::monostate {});
}

void TField::Store(TFieldValue value)
{
    FTable->SetCurrentCell(FIndex, std::move(value));
}

void TField::InvalidConversion(const char *typeName) const
{
    throw EDatabaseError(QStringLiteral("Field '%1' cannot be accessed as type %2")
                             .arg(FFieldName, QLatin1String(typeName))
                             .toStdString());
}

void TField::CheckRange(qint64 value) const
{
    const auto [low, high] = RangeOf(FDataType);
    if (value < low || value > high)
        throw EDatabaseError(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                                 .arg(value)
                                 .arg(FFieldName)
                                 .arg(low)
                                 .arg(high)
                                 .toStdString());
}

QString TField::AsString() const
{
    const TFieldValue &value = Value();
    if (const auto *bytes = std::get_if<QByteArray>(&value))
        return QString::fromUtf8(*bytes);
    if (const auto *number = std::get_if<double>(&value))
        return TFormatSettings::FloatToText(*number);
    if (const auto *units = std::get_if<qint64>(&value); units && FDataType == ftCurrency)
        return TFormatSettings::FloatToText(double(*units) / 10000.0);
    if (const auto *dateTime = std::get_if<QDateTime>(&value)) {
        if (FDataType == ftDate)
            return TDateTimeText::FormatDate(*dateTime);
        if (FDataType == ftTime)
            return TDateTimeText::FormatTime(*dateTime);
        return TDateTimeText::FormatDateTime(*dateTime);
    }
    return DisplayText(value);
}

void TField::SetAsString(const QString &value)
{
    const Kind kind = KindOf(FDataType);
    if (kind == Kind::Text) {
        Store(IsSizedText(FDataType) ? CutToSize(value, FSize) : value);
    } else if (kind == Kind::Blob) {
        Store(value.toUtf8());
    } else if (value.isEmpty() && kind != Kind::DataSet && kind != Kind::Other) {
        Clear();
    } else if (kind == Kind::Integer) {
        SetAsLargeInt(TextToInteger(value));
    } else if (kind == Kind::Float || kind == Kind::Currency) {
        SetAsCurrency(TextToFloat(value));
    } else if (kind == Kind::Boolean) {
        Store(TextToBoolean(value));
    } else if (kind == Kind::DateTime) {
        SetAsDateTime(TextToDateTime(value));
    } else {
        InvalidConversion("String");
    }
}

int TField::AsInteger() const
{
    const qint64 value = AsLargeInt();
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(value).toStdString());
    return int(value);
}

void TField::SetAsInteger(int value)
{
    SetAsLargeInt(value);
}

qint64 TField::AsLargeInt() const
{
    const TFieldValue &value = Value();
    if (std::holds_alternative<std::monostate>(value))
        return 0;
    if (const auto *integer = std::get_if<qint64>(&value))
        return FDataType == ftCurrency ? qRound64(double(*integer) / 10000.0) : *integer;
    if (const auto *number = std::get_if<double>(&value))
        return qRound64(*number);
    if (const auto *flag = std::get_if<bool>(&value))
        return *flag ? 1 : 0;
    if (const auto *text = std::get_if<QString>(&value))
        return TextToInteger(*text);
    InvalidConversion("Integer");
}

void TField::SetAsLargeInt(qint64 value)
{
    switch (KindOf(FDataType)) {
    case Kind::Integer:
        CheckRange(value);
        Store(value);
        break;
    case Kind::Float:
        SetAsFloat(double(value));
        break;
    case Kind::Currency:
        Store(CurrencyUnits(double(value)));
        break;
    case Kind::Boolean:
        Store(value != 0);
        break;
    case Kind::Text:
        SetAsString(QString::number(value));
        break;
    default:
        InvalidConversion("Integer");
    }
}

double TField::AsFloat() const
{
    const TFieldValue &value = Value();
    if (std::holds_alternative<std::monostate>(value))
        return 0;
    if (const auto *number = std::get_if<double>(&value))
        return *number;
    if (const auto *integer = std::get_if<qint64>(&value))
        return FDataType == ftCurrency ? double(*integer) / 10000.0 : double(*integer);
    if (const auto *text = std::get_if<QString>(&value))
        return TextToFloat(*text);
    InvalidConversion("Float");
}

void TField::SetAsFloat(double value)
{
    switch (KindOf(FDataType)) {
    case Kind::Float:
        Store(FDataType == ftSingle ? double(float(value)) : value);
        break;
    case Kind::Currency:
        Store(CurrencyUnits(value));
        break;
    case Kind::Integer:
        if (!(std::fabs(value) < 9.2e18) || value != std::trunc(value))
            throw EConvertError(QStringLiteral("'%1' is not a valid integer value")
                                    .arg(TFormatSettings::FloatToText(value))
                                    .toStdString());
        SetAsLargeInt(qint64(value));
        break;
    case Kind::Text:
        SetAsString(TFormatSettings::FloatToText(value));
        break;
    default:
        InvalidConversion("Float");
    }
}

float TField::AsSingle() const
{
    return float(AsFloat());
}

void TField::SetAsSingle(float value)
{
    SetAsFloat(double(value));
}

double TField::AsCurrency() const
{
    return AsFloat();
}

void TField::SetAsCurrency(double value)
{
    if (FDataType == ftCurrency)
        Store(CurrencyUnits(value));
    else
        SetAsFloat(value);
}

qint64 TField::AsCurrencyUnits() const
{
    if (const auto *units = std::get_if<qint64>(&Value()); units && FDataType == ftCurrency)
        return *units;
    return CurrencyUnits(AsFloat());
}

bool TField::AsBoolean() const
{
    const TFieldValue &value = Value();
    if (std::holds_alternative<std::monostate>(value))
        return false;
    if (const auto *flag = std::get_if<bool>(&value))
        return *flag;
    if (const auto *integer = std::get_if<qint64>(&value))
        return *integer != 0;
    if (const auto *text = std::get_if<QString>(&value))
        return TextToBoolean(*text);
    InvalidConversion("Boolean");
}

void TField::SetAsBoolean(bool value)
{
    switch (KindOf(FDataType)) {
    case Kind::Boolean:
        Store(value);
        break;
    case Kind::Integer:
        SetAsLargeInt(value ? 1 : 0);
        break;
    case Kind::Text:
        SetAsString(value ? QStringLiteral("True") : QStringLiteral("False"));
        break;
    default:
        InvalidConversion("Boolean");
    }
}

QDateTime TField::AsDateTime() const
{
    const TFieldValue &value = Value();
    if (const auto *dateTime = std::get_if<QDateTime>(&value))
        return *dateTime;
    if (std::holds_alternative<std::monostate>(value))
        return {};
    if (const auto *text = std::get_if<QString>(&value))
        return TextToDateTime(*text);
    InvalidConversion("DateTime");
}

void TField::SetAsDateTime(const QDateTime &value)
{
    const Kind kind = KindOf(FDataType);
    if (kind == Kind::Text) {
        SetAsString(value.isValid() ? TDateTimeText::FormatDateTime(value) : QString());
        return;
    }
    if (kind != Kind::DateTime)
        InvalidConversion("DateTime");
    if (!value.isValid())
        Clear();
    else if (FDataType == ftDate)
        Store(QDateTime(value.date(), QTime(0, 0), Qt::UTC));
    else if (FDataType == ftTime)
        Store(QDateTime(TDateTimeText::ZeroDate(), value.time(), Qt::UTC));
    else
        Store(QDateTime(value.date(), value.time(), Qt::UTC));
}

QString TField::AsBCD() const
{
    const TFieldValue &value = Value();
    if (const auto *units = std::get_if<qint64>(&value); units && FDataType == ftCurrency)
        return TFormatSettings::CurrencyToText(*units).replace(
            TFormatSettings::DecimalSeparator(), QStringLiteral("."));
    return QString::number(AsFloat(), 'g', 15);
}

QByteArray TField::AsBytes() const
{
    const TFieldValue &value = Value();
    if (const auto *bytes = std::get_if<QByteArray>(&value))
        return *bytes;
    if (const auto *text = std::get_if<QString>(&value))
        return text->toUtf8();
    if (std::holds_alternative<std::monostate>(value))
        return {};
    InvalidConversion("Bytes");
}

void TField::SetAsBytes(const QByteArray &value)
{
    const Kind kind = KindOf(FDataType);
    if (kind == Kind::Blob)
        Store(value);
    else if (kind == Kind::Text)
        SetAsString(QString::fromUtf8(value));
    else
        InvalidConversion("Bytes");
}

void TField::LoadFromStream(QIODevice &stream)
{
    SetAsBytes(stream.readAll());
}

void TField::SaveToStream(QIODevice &stream) const
{
    stream.write(AsBytes());
}

TRecordTable *TField::NestedDataSet() const
{
    if (const auto *nested = std::get_if<std::shared_ptr<TRecordTable>>(&Value()))
        return nested->get();
    return nullptr;
}

QString TField::ShownText(const TFieldValue &value) const
{
    return FOnGetText ? FOnGetText(DisplayText(value)) : DisplayText(value);
}

QString TField::DisplayText(const TFieldValue &value) const
{
    struct Visitor
    {
        const TField &field;
        QString operator()(std::monostate) const { return {}; }
        QString operator()(bool flag) const { return flag ? QStringLiteral("True") : QStringLiteral("False"); }
        QString operator()(qint64 integer) const
        {
            return field.FDataType == ftCurrency ? TFormatSettings::CurrencyToText(integer) : QString::number(integer);
        }
        QString operator()(double number) const { return TFormatSettings::FloatToText(number); }
        QString operator()(const QString &text) const { return text; }
        QString operator()(const QByteArray &) const { return QStringLiteral("(BLOB)"); }
        QString operator()(const QDateTime &dateTime) const
        {
            const QString date = QLocale().toString(dateTime.date(), QLocale::ShortFormat);
            if (field.FDataType == ftDate)
                return date;
            if (field.FDataType == ftTime)
                return TDateTimeText::FormatTime(dateTime);
            return date + QLatin1Char(' ') + TDateTimeText::FormatTime(dateTime);
        }
        QString operator()(const std::shared_ptr<TRecordTable> &) const { return QStringLiteral("(DATASET)"); }
    };
    return std::visit(Visitor {*this}, value);
}
