// The metadata documents the server answers carry every key the client reads, with its JSON type.
#include "server/FieldKind.h"
#include "server/ResourceCatalog.h"

#include <QtTest>

#include <functional>
#include <set>

using Json = nlohmann::ordered_json;

namespace {

using TypeCheck = std::function<bool(const Json &)>;
const TypeCheck isString = [](const Json &v) { return v.is_string(); };
const TypeCheck isInteger = [](const Json &v) { return v.is_number_integer(); };
const TypeCheck isBoolean = [](const Json &v) { return v.is_boolean(); };
const TypeCheck isArray = [](const Json &v) { return v.is_array(); };
const TypeCheck isObject = [](const Json &v) { return v.is_object(); };

// Collects "where: problem" for every required key missing or of the wrong type.
void require(
    const Json &object, const std::string &key, const TypeCheck &check, const std::string &where, QStringList &problems)
{
    if (!object.is_object() || !object.contains(key))
        problems << QString::fromStdString(where + ": no \"" + key + "\"");
    else if (!check(object[key]))
        problems << QString::fromStdString(where + ": \"" + key + "\" has the wrong type");
}

void optional(
    const Json &object, const std::string &key, const TypeCheck &check, const std::string &where, QStringList &problems)
{
    if (object.is_object() && object.contains(key))
        require(object, key, check, where, problems);
}

void checkDescriptors(
    const Json &fields, const std::string &where, const ResourceCatalog &catalog, QStringList &problems)
{
    if (!fields.is_array() || fields.empty()) {
        problems << QString::fromStdString(where + ": not a non-empty array");
        return;
    }
    std::set<std::string> names;
    for (const Json &field : fields) {
        const std::string at = where + "." + field.value("nome", "?");
        for (const char *key : {"nome", "label", "tipo"})
            require(field, key, isString, at, problems);
        if (!names.insert(field.value("nome", "")).second)
            problems << QString::fromStdString(at + ": repeated name");
        optional(field, "requerido", isBoolean, at, problems);
        optional(field, "tamanho", isObject, at, problems);
        if (field.contains("tamanho"))
            require(field["tamanho"], "max", isInteger, at + ".tamanho", problems);
        switch (fieldKind(field)) {
        case FieldKind::Remote:
            if (!catalog.find(referencedResource(field)))
                problems << QString::fromStdString(at + ": refers to an unknown resource");
            require(field, "count", isInteger, at, problems);
            optional(field, "method", isString, at, problems);
            if (field.contains("params")) {
                require(field, "params", isArray, at, problems);
                for (const Json &param : field.value("params", Json::array())) {
                    require(param, "nome", isString, at + ".params", problems);
                    require(param, "tipo", isString, at + ".params", problems);
                    if (param.contains("origem"))
                        for (const char *key : {"source", "field"})
                            require(param["origem"], key, isString, at + ".params.origem", problems);
                }
            }
            if (field.contains("subObject"))
                for (const char *key : {"id", "displayField", "resource"})
                    require(field["subObject"], key, isString, at + ".subObject", problems);
            [[fallthrough]];
        case FieldKind::Local:
            for (const char *key : {"resource", "type", "id", "displayField"})
                require(field, key, isString, at, problems);
            break;
        case FieldKind::Enum:
            require(field, "values", isArray, at, problems);
            for (const Json &value : field.value("values", Json::array())) {
                require(value, "id", isString, at + ".values", problems);
                require(value, "descricao", isString, at + ".values", problems);
            }
            break;
        case FieldKind::Group:
        case FieldKind::List:
            checkDescriptors(field["fields"], at, catalog, problems);
            break;
        case FieldKind::Unknown:
            problems << QString::fromStdString(at + ": a kind the client makes no control for");
            break;
        default:
            break;
        }
    }
}

} // namespace

class tst_ResourceFiles : public QObject
{
    Q_OBJECT

private slots:
    void menuEntries()
    {
        const ResourceCatalog catalog = ResourceCatalog::fromEmbeddedFiles();
        QCOMPARE(catalog.menu().size(), size_t(6));
        QStringList problems;
        for (const Json &entry : catalog.menu()) {
            require(entry, "descricao", isString, "menu", problems);
            require(entry, "resource", isString, "menu", problems);
        }
        QCOMPARE(problems, QStringList());
    }

    void resourceDocuments_data()
    {
        QTest::addColumn<QString>("resource");
        const ResourceCatalog catalog = ResourceCatalog::fromEmbeddedFiles();
        for (const std::string &name : catalog.names())
            QTest::newRow(name.c_str()) << QString::fromStdString(name);
    }

    void resourceDocuments()
    {
        QFETCH(QString, resource);
        const ResourceCatalog catalog = ResourceCatalog::fromEmbeddedFiles();
        const ResourceDefinition *definition = catalog.find(resource.toStdString());
        QVERIFY(definition);
        QStringList problems;
        checkDescriptors(definition->campos, "campos", catalog, problems);

        for (const Json &column : definition->pesquisa) {
            for (const char *key : {"nome", "label", "tipo"})
                require(column, key, isString, "pesquisa", problems);
            const std::string tipo = column.value("tipo", "");
            if (tipo != "long" && tipo != "string")
                problems << QString::fromStdString("pesquisa." + column.value("nome", "") + ": column type " + tipo);
        }

        bool text = false, numeric = false;
        for (const Json &filter : definition->filtros) {
            const std::string at = "filtros." + filter.value("nome", "?");
            for (const char *key : {"nome", "label", "tipo"})
                require(filter, key, isString, at, problems);
            if (filter.contains("resource")) {
                for (const char *key : {"resource", "id", "displayField"})
                    require(filter, key, isString, at, problems);
                if (!catalog.find(filter.value("resource", "")))
                    problems << QString::fromStdString(at + ": refers to an unknown resource");
            }
            (filter.value("tipo", "") == "String" ? text : numeric) = true;
        }
        if (!text || !numeric)
            problems << "filtros: needs a text and a numeric filter";
        QCOMPARE(problems, QStringList());
    }

    // Taken together the resources use every kind of control the client makes.
    void everyFieldKindIsExercised()
    {
        const ResourceCatalog catalog = ResourceCatalog::fromEmbeddedFiles();
        std::set<std::string> seen;
        std::function<void(const Json &)> walk = [&](const Json &fields) {
            for (const Json &field : fields) {
                seen.insert(field.value("tipo", ""));
                if (field.contains("idField"))
                    seen.insert("idField");
                if (field.contains("subObject"))
                    seen.insert("subObject");
                if (field.contains("method"))
                    seen.insert("method");
                if (field.contains("params"))
                    seen.insert("params");
                if (fieldKind(field) == FieldKind::Local)
                    seen.insert("local");
                if (fieldKind(field) == FieldKind::Remote)
                    seen.insert(field.value("count", 0) > 50 ? "lookup" : "combo");
                if (field.contains("fields"))
                    walk(field["fields"]);
            }
        };
        bool lookupFilter = false;
        for (const std::string &name : catalog.names()) {
            walk(catalog.find(name)->campos);
            for (const Json &filter : catalog.find(name)->filtros)
                lookupFilter = lookupFilter || filter.contains("resource");
        }
        for (const char *kind : {"long", "string", "double", "boolean", "localdate", "enum", "object", "list",
                 "idField", "subObject", "method", "params", "local", "lookup", "combo"})
            QVERIFY2(seen.count(kind), kind);
        QVERIFY(lookupFilter);
    }
};

QTEST_GUILESS_MAIN(tst_ResourceFiles)
#include "tst_ResourceFiles.moc"
