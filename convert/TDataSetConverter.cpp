#include "convert/TDataSetConverter.h"

#include "convert/EDataSetConverterException.h"
#include "convert/TDateTimeText.h"
#include "convert/TField.h"
#include "convert/TFormatSettings.h"
#include "convert/TOriginMarker.h"
#include "convert/TRecordTable.h"

using json = nlohmann::ordered_json;

namespace {

// Base64 in lines of 76 characters separated by CR LF.
std::string Base64Lines(const QByteArray &bytes)
{
    const QByteArray encoded = bytes.toBase64();
    std::string text;
    text.reserve(size_t(encoded.size() + encoded.size() / 76 * 2));
    for (qsizetype i = 0; i < encoded.size(); i += 76) {
        if (i > 0)
            text += "\r\n";
        text.append(encoded.constData() + i, size_t(std::min<qsizetype>(76, encoded.size() - i)));
    }
    return text;
}

json Text(const QString &text)
{
    return json(text.toStdString());
}

} // namespace

std::shared_ptr<IDataSetConverter> TDataSetConverter::New()
{
    return std::make_shared<TDataSetConverter>();
}

TDataSetConverter::~TDataSetConverter()
{
    Release();
}

void TDataSetConverter::Release()
{
    if (fOwns)
        std::unique_ptr<TRecordTable> owned(fDataSet);
    fDataSet = nullptr;
    fOwns = false;
}

std::shared_ptr<IDataSetConverter> TDataSetConverter::SetTable(TRecordTable *table, bool owns)
{
    if (table != fDataSet)
        Release();
    fDataSet = table;
    fOwns = owns && table;
    return shared_from_this();
}

TRecordTable &TDataSetConverter::Source() const
{
    if (!fDataSet)
        throw EDataSetConverterException("DataSet Uninformed.");
    return *fDataSet;
}

std::optional<json> TDataSetConverter::RowToObject()
{
    return ObjectOfRow(Source());
}

std::optional<json> TDataSetConverter::RowsToArray()
{
    return ArrayOfRows(Source());
}

std::optional<json> TDataSetConverter::ObjectOfRow(TRecordTable &table)
{
    if (table.IsEmpty())
        return std::nullopt;
    json object = json::object();
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TField &field = *table.Fields(i);
        std::optional<json> value = MemberValue(field);
        if (value && !field.FieldName().isEmpty())
            object[field.FieldName().toStdString()] = std::move(*value);
    }
    return object;
}

std::optional<json> TDataSetConverter::ArrayOfRows(TRecordTable &table)
{
    if (table.IsEmpty())
        return std::nullopt;
    // Puts the cursor back where it was, also when a row fails to convert.
    struct CursorKeeper
    {
        TRecordTable &table;
        TBookmark bookmark = table.GetBookmark();
        ~CursorKeeper()
        {
            if (table.BookmarkValid(bookmark))
                table.GotoBookmark(bookmark);
            table.FreeBookmark(bookmark);
        }
    } keeper {table};
    json array = json::array();
    for (table.First(); !table.Eof(); table.Next())
        array.push_back(ObjectOfRow(table).value_or(json()));
    return array;
}

std::optional<json> TDataSetConverter::MemberValue(const TField &field)
{
    const bool isNull = field.IsNull();
    switch (field.DataType()) {
    case ftString:
    case ftMemo:
    case ftWideString:
    case ftWideMemo:
        return Text(field.AsString());
    case ftShortint:
    case ftSmallint:
    case ftInteger:
    case ftLargeint:
        return json(field.AsLargeInt());
    case ftBoolean:
        if (TOriginMarker::BooleanOrigin(field.Origin()) == TOriginMarker::boInteger)
            return json(field.AsBoolean() ? 1 : 0);
        return json(field.AsBoolean());
    case ftFloat:
    case ftSingle:
        return json(field.AsFloat());
    case ftCurrency:
        return isNull ? json() : Text(TFormatSettings::CurrencyToText(field.AsCurrencyUnits()));
    case ftBCD:
    case ftFMTBcd:
        return isNull ? json() : json(field.AsFloat());
    case ftDate:
        return isNull ? json() : Text(TDateTimeText::FormatDate(field.AsDateTime()));
    case ftTime:
        return isNull ? json() : Text(TDateTimeText::FormatTime(field.AsDateTime()));
    case ftDateTime:
    case ftTimeStamp:
        return isNull ? json() : Text(TDateTimeText::FormatDateTime(field.AsDateTime()));
    case ftAutoInc:
        return std::nullopt;
    case ftBlob:
    case ftGraphic:
    case ftStream:
        return json(Base64Lines(field.AsBytes()));
    case ftDataSet: {
        TRecordTable *nested = field.NestedDataSet();
        if (!nested)
            return std::nullopt;
        switch (TOriginMarker::DataSetOrigin(field.Origin())) {
        case TOriginMarker::doJSONObject:
            return ObjectOfRow(*nested);
        case TOriginMarker::doJSONArray:
            return ArrayOfRows(*nested);
        default:
            return std::nullopt;
        }
    }
    default:
        throw EDataSetConverterException(
            QStringLiteral("Cannot find type for field \"%1\"").arg(field.FieldName()).toStdString());
    }
}
