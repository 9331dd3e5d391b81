#include "convert/TJSONConverter.h"

#include "convert/EDataSetConverterException.h"
#include "convert/EInvalidCast.h"
#include "convert/TDateTimeText.h"
#include "convert/TField.h"
#include "convert/TFieldMatcher.h"
#include "convert/TFormatSettings.h"
#include "convert/TOriginMarker.h"
#include "convert/TRecordTable.h"
#include "rest/TJsonNumber.h"

#include <algorithm>
#include <limits>

using json = nlohmann::ordered_json;

namespace {

[[noreturn]] void InvalidCast()
{
    throw EInvalidCast("Invalid class typecast");
}

QString FromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The text of a number: integral values as plain digits, others in the user's format. A literal
// of 12 or more characters that is a whole number is written exactly, even beyond 64 bits.
QString NumberText(const json &value)
{
    if (value.is_number_unsigned())
        return QString::number(value.get<quint64>());
    if (value.is_number_integer())
        return QString::number(value.get<qint64>());
    const std::string literal = TJsonNumber::Text(value);
    const auto digits = literal.begin() + (literal.starts_with('-') ? 1 : 0);
    const bool whole
        = digits != literal.end() && std::all_of(digits, literal.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (literal.size() >= 12 && whole)
        return QString::fromLatin1(literal.data(), qsizetype(literal.size()));
    return TFormatSettings::FloatToText(TJsonNumber::Value(value));
}

// The text of a JSON value: strings as such, numbers as NumberText, true/false/null as words,
// objects and arrays empty.
QString JsonText(const json &value)
{
    if (TJsonNumber::IsNumber(value))
        return NumberText(value);
    switch (value.type()) {
    case json::value_t::string:
        return FromUtf8(value.get_ref<const std::string &>());
    case json::value_t::boolean:
        return value.get<bool>() ? QStringLiteral("true") : QStringLiteral("false");
    case json::value_t::null:
        return QStringLiteral("null");
    default:
        return {};
    }
}

// The value read as a decimal integer within [low, high]; 0 when it is not one.
qint64 JsonInteger(const json &value, qint64 low, qint64 high)
{
    qint64 result = 0;
    bool ok = false;
    if (value.is_number_integer() && !value.is_number_unsigned()) {
        result = value.get<qint64>();
        ok = true;
    } else if (value.is_number_unsigned()) {
        const quint64 unsignedValue = value.get<quint64>();
        ok = unsignedValue <= quint64(std::numeric_limits<qint64>::max());
        result = qint64(unsignedValue);
    } else {
        result = JsonText(value).toLongLong(&ok, 10);
    }
    return ok && result >= low && result <= high ? result : 0;
}

double JsonNumber(const json &value)
{
    if (!TJsonNumber::IsNumber(value))
        InvalidCast();
    return TJsonNumber::Value(value);
}

// Sets a boolean field from a boolean text or number; leaves it alone for anything else.
void WriteBoolean(TField &field, const json &value)
{
    if (value.is_boolean()) {
        field.SetAsBoolean(value.get<bool>());
    } else if (TJsonNumber::IsNumber(value)) {
        field.SetAsBoolean(TJsonNumber::Value(value) != 0);
    } else if (value.is_string()) {
        const QString text = JsonText(value);
        double number = 0;
        if (TFormatSettings::TextToFloat(text, number))
            field.SetAsBoolean(number != 0);
        else if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            field.SetAsBoolean(true);
        else if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            field.SetAsBoolean(false);
    }
}

} // namespace

std::shared_ptr<IJSONConverter> TJSONConverter::New()
{
    return std::make_shared<TJSONConverter>();
}

TJSONConverter::~TJSONConverter()
{
    Release();
}

void TJSONConverter::Release()
{
    if (fOwns) {
        std::unique_ptr<const json> object(fJSONObject);
        std::unique_ptr<const json> array(fJSONArray);
    }
    fJSONObject = nullptr;
    fJSONArray = nullptr;
    fOwns = false;
}

std::shared_ptr<IJSONConverter> TJSONConverter::SetObject(const json *object, bool owns)
{
    if (object != fJSONObject || fJSONArray)
        Release();
    fJSONObject = object;
    fOwns = owns && object;
    return shared_from_this();
}

std::shared_ptr<IJSONConverter> TJSONConverter::SetArray(const json *array, bool owns)
{
    if (array != fJSONArray || fJSONObject)
        Release();
    fJSONArray = array;
    fOwns = owns && array;
    return shared_from_this();
}

void TJSONConverter::AppendTo(TRecordTable *table)
{
    if (!fJSONObject && !fJSONArray)
        throw EDataSetConverterException("JSON Value Uninformed.");
    if (!table)
        return;
    TFieldMatcher matcher(*table);
    if (fJSONObject) {
        if (!fJSONObject->is_object())
            InvalidCast();
        ApplyObject(*fJSONObject, table, 0, fIsRecord, matcher);
    } else {
        if (!fJSONArray->is_array())
            InvalidCast();
        ApplyArray(*fJSONArray, table, fIsRecord, matcher);
    }
}

void TJSONConverter::UpdateIn(TRecordTable *table)
{
    struct RecordMode
    {
        bool &flag;
        explicit RecordMode(bool &f) : flag(f) { flag = true; }
        ~RecordMode() { flag = false; }
    } mode(fIsRecord);
    AppendTo(table);
}

void TJSONConverter::ApplyArray(const json &array, TRecordTable *table, bool update, TFieldMatcher &matcher)
{
    int k = 0;
    for (const json &element : array) {
        if (table->RecordCount() >= 1)
            ++k;
        if (element.is_array())
            ApplyArray(element, table, update, matcher);
        else if (element.is_object())
            ApplyObject(element, table, k, update, matcher);
        else
            InvalidCast();
    }
}

void TJSONConverter::ApplyObject(
    const json &object, TRecordTable *table, int recNo, bool update, TFieldMatcher &matcher)
{
    if (recNo > 0 && table->RecordCount() > 1)
        table->SetRecNo(recNo);
    if (update)
        table->Edit();
    else
        table->Append();
    try {
        const std::vector<const json *> &values = matcher.Match(object); // nested tables have their own matcher
        for (int i = 0; i < table->FieldCount(); ++i) {
            TField &field = *table->Fields(i);
            if (values[size_t(i)] && !field.ReadOnly())
                WriteField(field, *values[size_t(i)]);
        }
    } catch (...) {
        table->Cancel();
        throw;
    }
    table->Post();
}

void TJSONConverter::WriteField(TField &field, const json &value)
{
    const TFieldType type = field.DataType();
    if (value.is_null() && type != ftDataSet) {
        switch (type) {
        case ftString:
        case ftMemo:
        case ftWideString:
        case ftWideMemo:
        case ftShortint:
        case ftSmallint:
        case ftInteger:
        case ftAutoInc:
        case ftLargeint:
        case ftBoolean:
        case ftFloat:
        case ftBCD:
        case ftFMTBcd:
        case ftSingle:
        case ftCurrency:
        case ftDate:
        case ftTime:
        case ftDateTime:
        case ftTimeStamp:
        case ftBlob:
        case ftGraphic:
        case ftStream:
            field.Clear();
            return;
        default:
            break; // unknown types fail below
        }
    }
    switch (type) {
    case ftString:
    case ftMemo:
    case ftWideString:
    case ftWideMemo:
        field.SetAsString(JsonText(value));
        break;
    case ftShortint:
    case ftSmallint:
    case ftInteger:
        field.SetAsInteger(
            int(JsonInteger(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max())));
        break;
    case ftAutoInc:
    case ftLargeint:
        field.SetAsLargeInt(JsonInteger(value, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()));
        break;
    case ftBoolean:
        WriteBoolean(field, value);
        break;
    case ftFloat:
    case ftBCD:
    case ftFMTBcd:
    case ftSingle:
        field.SetAsFloat(JsonNumber(value));
        break;
    case ftCurrency:
        field.SetAsCurrency(JsonNumber(value));
        break;
    case ftDate:
        field.SetAsDateTime(TDateTimeText::ParseDate(JsonText(value)));
        break;
    case ftTime:
        field.SetAsDateTime(TDateTimeText::ParseTime(JsonText(value)));
        break;
    case ftDateTime:
    case ftTimeStamp:
        field.SetAsDateTime(TDateTimeText::ParseDateTime(JsonText(value)));
        break;
    case ftBlob:
    case ftGraphic:
    case ftStream: {
        if (!value.is_string())
            InvalidCast();
        const std::string &text = value.get_ref<const std::string &>();
        field.SetAsBytes(QByteArray::fromBase64(QByteArray::fromRawData(text.data(), qsizetype(text.size()))));
        break;
    }
    case ftDataSet:
        WriteNested(field, value);
        break;
    default:
        throw EDataSetConverterException(
            QStringLiteral("Cannot find type for field \"%1\"").arg(field.FieldName()).toStdString());
    }
}

void TJSONConverter::WriteNested(TField &field, const json &value)
{
    TRecordTable *nested = field.NestedDataSet();
    const auto origin = TOriginMarker::DataSetOrigin(field.Origin());
    if (!nested || origin == TOriginMarker::doUnknown)
        return;
    TFieldMatcher matcher(*nested);
    if (origin == TOriginMarker::doJSONObject) {
        if (!value.is_object())
            InvalidCast();
        ApplyObject(value, nested, 0, true, matcher);
        return;
    }
    for (nested->First(); !nested->Eof();)
        nested->Delete();
    if (!value.is_array())
        InvalidCast();
    ApplyArray(value, nested, false, matcher);
}
