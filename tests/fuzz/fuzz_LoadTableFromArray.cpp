// LoadTableFromArray of any parsed JSON into a table with one field of every type (a nested
// table both from an object and from an array), named f<type number>. Conversion failures are
// the documented errors; anything else is a fault.
#include "convert/EConvertError.h"
#include "convert/EDataSetConverterException.h"
#include "convert/EDatabaseError.h"
#include "convert/EInvalidCast.h"
#include "convert/LoadTableFromArray.h"
#include "convert/TField.h"
#include "convert/TRecordTable.h"
#include "rest/JsonUtils.h"

#include <cstdlib>

namespace {

void DefineEveryType(TRecordTable &table)
{
    TFieldDefs &defs = table.FieldDefs();
    for (int type = ftUnknown; type <= ftSingle; ++type) {
        if (type == ftDataSet)
            continue;
        defs.Add(QStringLiteral("f%1").arg(type), TFieldType(type));
    }
    TFieldDef &object = defs.Add(QStringLiteral("obj"), ftDataSet);
    object.Origin = QStringLiteral("JSONObject");
    object.ChildDefs().Add(QStringLiteral("rua"), ftString);
    object.ChildDefs().Add(QStringLiteral("numero"), ftInteger);
    TFieldDef &list = defs.Add(QStringLiteral("itens"), ftDataSet);
    list.Origin = QStringLiteral("JSONArray");
    list.ChildDefs().Add(QStringLiteral("n"), ftInteger);
    list.ChildDefs().Add(QStringLiteral("d"), ftDate);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<TJson> parsed = ParseJson(std::string_view(reinterpret_cast<const char *>(data), size));
    if (!parsed)
        return 0;
    TRecordTable table;
    DefineEveryType(table);
    table.CreateDataSet();
    const int before = table.RecordCount();
    try {
        LoadTableFromArray(&table, &*parsed);
    } catch (const EConvertError &) {
    } catch (const EDatabaseError &) {
    } catch (const EInvalidCast &) {
    } catch (const EDataSetConverterException &) {
    }
    // A failed row is cancelled: the table is back in browse mode and can be read in full.
    if (table.State() != dsBrowse || table.RecordCount() < before)
        std::abort();
    for (int row = 0; row < table.RecordCount(); ++row)
        for (int column = 0; column < table.FieldCount(); ++column)
            (void)table.CellAt(row, column);
    return 0;
}
