#include "server/RecordValidator.h"

#include "server/ApiError.h"
#include "server/FieldKind.h"
#include "server/RecordStore.h"
#include "server/ResourceCatalog.h"

#include <chrono>
#include <cmath>
#include <optional>
#include <regex>
#include <set>

using Json = nlohmann::ordered_json;

namespace {

// The client's date edit sends this date when it holds no date.
const char *const kEmptyDate = "1899-12-30";

std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The text form of a scalar, as the client shows it; empty for null, objects and arrays.
std::string textOf(const Json &value)
{
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_number() || value.is_boolean())
        return value.dump();
    return {};
}

bool isEmptyValue(const Json &value)
{
    return value.is_null() || (value.is_string() && trimmed(value.get<std::string>()).empty());
}

size_t characterCount(const std::string &utf8)
{
    size_t count = 0;
    for (unsigned char c : utf8)
        count += (c & 0xC0) != 0x80;
    return count;
}

std::string quoted(const Json &descriptor)
{
    return "\"" + descriptor.value("label", descriptor.value("nome", "")) + "\"";
}

// Each conversion answers the stored value (null when empty) or nothing when the value is invalid.
std::optional<Json> toInteger(const Json &value)
{
    if (value.is_number_integer())
        return value;
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (std::isfinite(number) && std::trunc(number) == number && std::fabs(number) < 9e15)
            return Json(static_cast<long long>(number));
        return std::nullopt;
    }
    if (!value.is_string())
        return std::nullopt;
    static const std::regex integer("[-+]?[0-9]{1,18}");
    const std::string text = trimmed(value.get<std::string>());
    if (!std::regex_match(text, integer))
        return std::nullopt;
    return Json(std::stoll(text));
}

std::optional<Json> toDecimal(const Json &value)
{
    if (value.is_number())
        return value;
    if (!value.is_string())
        return std::nullopt;
    std::string text = trimmed(value.get<std::string>());
    // Accept the Brazilian form too: "1.500,50" and "1500,50" mean 1500.5.
    if (text.find(',') != std::string::npos) {
        std::erase(text, '.');
        std::replace(text.begin(), text.end(), ',', '.');
    }
    static const std::regex decimal("[-+]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?");
    if (!std::regex_match(text, decimal))
        return std::nullopt;
    const double number = std::stod(text);
    if (!std::isfinite(number))
        return std::nullopt;
    return Json(number);
}

std::optional<Json> toBoolean(const Json &value)
{
    if (value.is_boolean())
        return value;
    if (value.is_number())
        return Json(value.get<double>() != 0);
    std::string text = trimmed(textOf(value));
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    if (text == "true" || text == "1")
        return Json(true);
    if (text == "false" || text == "0")
        return Json(false);
    return std::nullopt;
}

std::optional<Json> toDate(const Json &value)
{
    if (!value.is_string())
        return std::nullopt;
    const std::string text = trimmed(value.get<std::string>()).substr(0, 10);
    static const std::regex form("([0-9]{4})-([0-9]{2})-([0-9]{2})");
    std::smatch parts;
    if (!std::regex_match(text, parts, form))
        return std::nullopt;
    const std::chrono::year_month_day date {std::chrono::year(std::stoi(parts[1])),
        std::chrono::month(static_cast<unsigned>(std::stoi(parts[2]))),
        std::chrono::day(static_cast<unsigned>(std::stoi(parts[3])))};
    if (!date.ok())
        return std::nullopt;
    if (text == kEmptyDate)
        return Json(nullptr);
    return Json(text);
}

std::optional<Json> toEnum(const Json &descriptor, const Json &value)
{
    const std::string key = trimmed(textOf(value));
    for (const Json &option : descriptor.value("values", Json::array()))
        if (option.contains("id") && textOf(option["id"]) == key)
            return option["id"];
    return std::nullopt;
}

// The element of array whose member key has the text form wanted.
const Json *findByKey(const Json &array, const std::string &keyMember, const std::string &wanted)
{
    if (!array.is_array())
        return nullptr;
    for (const Json &element : array)
        if (element.is_object() && element.contains(keyMember) && textOf(element[keyMember]) == wanted)
            return &element;
    return nullptr;
}

// Follows "root.a.b" (the client's local paths) from the record being built.
const Json *resolveLocalPath(const Json &root, const std::string &path)
{
    const Json *current = &root;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t dot = path.find('.', start);
        std::string part = path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        std::string lower = part;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        if (!part.empty() && lower != "root") {
            if (!current->is_object() || !current->contains(part))
                return nullptr;
            current = &(*current)[part];
        }
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    return current;
}

} // namespace

struct RecordValidator::Context
{
    const Json *root = nullptr; // the record as built so far: local paths start here
    std::string messagePrefix; // "Contatos, item 2: " inside lists
    Json errors = Json::array();

    void fail(const std::string &userMessage, const std::string &developerMessage)
    {
        errors.push_back(ApiError::message(messagePrefix + userMessage, developerMessage));
    }
};

RecordValidator::RecordValidator(const ResourceCatalog &catalog, RecordStore &store)
    : m_catalog(catalog), m_store(store)
{ }

Json RecordValidator::normalize(const ResourceDefinition &definition, const Json &body) const
{
    if (!body.is_object())
        throw ApiError(400, "O conteúdo enviado não é um registro (objeto JSON).",
            "corpo da requisição: esperado um objeto JSON, recebido " + std::string(body.type_name()));
    Context context;
    Json record = normalizeFields(definition.campos, body, context, "", true);
    if (!context.errors.empty())
        throw ApiError(400, std::move(context.errors));
    return record;
}

Json RecordValidator::normalizeFields(
    const Json &fields, const Json &input, Context &context, const std::string &path, bool topLevel) const
{
    Json out = Json::object();
    if (topLevel)
        context.root = &out;
    for (const Json &descriptor : fields) {
        if (topLevel && descriptor.contains("idField"))
            continue; // the id comes from the path, never from the body
        normalizeField(descriptor, input, out, context, path);
    }
    return out;
}

void RecordValidator::normalizeField(
    const Json &descriptor, const Json &input, Json &out, Context &context, const std::string &path) const
{
    const std::string name = descriptor.value("nome", "");
    const FieldKind kind = fieldKind(descriptor);
    if (name.empty() || kind == FieldKind::Unknown)
        return;
    if (kind == FieldKind::Remote && descriptor.contains("subObject")) {
        normalizeSubObject(descriptor, input, out, context, path);
        return;
    }
    const std::string where = path + name;
    const Json value = input.is_object() && input.contains(name) ? input[name] : Json(nullptr);
    const bool required = descriptor.value("requerido", false);

    Json stored;
    switch (kind) {
    case FieldKind::Group: {
        if (!value.is_null() && !value.is_object()) {
            context.fail(
                "O campo " + quoted(descriptor) + " deve ser um grupo de valores.", where + ": esperado objeto");
            return;
        }
        stored = normalizeFields(descriptor["fields"], value, context, where + ".", false);
        break;
    }
    case FieldKind::List:
        stored = normalizeList(descriptor, value, context, where);
        if (required && stored.empty())
            context.fail("O campo " + quoted(descriptor) + " precisa de ao menos um item.", where + ": lista vazia");
        break;
    case FieldKind::Boolean: {
        const auto converted = value.is_null() ? std::optional<Json>(false) : toBoolean(value);
        if (!converted)
            context.fail(
                "O campo " + quoted(descriptor) + " deve ser verdadeiro ou falso.", where + ": " + value.dump());
        stored = converted.value_or(Json(false));
        break;
    }
    default: {
        if (isEmptyValue(value)) {
            stored = nullptr;
        } else {
            std::optional<Json> converted;
            std::string problem;
            switch (kind) {
            case FieldKind::Integer:
                converted = toInteger(value);
                problem = " deve ser um número inteiro.";
                break;
            case FieldKind::Decimal:
                converted = toDecimal(value);
                problem = " deve ser um número.";
                break;
            case FieldKind::Text:
                if (value.is_string() || value.is_number())
                    converted = Json(textOf(value));
                problem = " deve ser um texto.";
                break;
            case FieldKind::Date:
                converted = toDate(value);
                problem = " deve ser uma data válida (aaaa-mm-dd).";
                break;
            case FieldKind::Enum:
                converted = toEnum(descriptor, value);
                problem = " tem um valor que não está entre as opções.";
                break;
            case FieldKind::Remote:
                converted = normalizeRemote(descriptor, value, context, where);
                break;
            case FieldKind::Local:
                converted = normalizeLocal(descriptor, value, context, where);
                break;
            default:
                return;
            }
            if (!converted) {
                if (!problem.empty())
                    context.fail("O campo " + quoted(descriptor) + problem, where + ": valor inválido " + value.dump());
                return;
            }
            stored = *converted;
            const Json &limit = descriptor.contains("tamanho") ? descriptor["tamanho"] : Json();
            const long long max = limit.is_object() ? limit.value("max", 0LL) : 0;
            const size_t length = characterCount(textOf(value));
            if ((kind == FieldKind::Text || kind == FieldKind::Decimal) && max > 0
                && length > static_cast<size_t>(max)) {
                context.fail(
                    "O campo " + quoted(descriptor) + " deve ter no máximo " + std::to_string(max) + " caracteres.",
                    where + ": " + std::to_string(length) + " caracteres, máximo " + std::to_string(max));
                return;
            }
        }
        if (required && stored.is_null())
            context.fail("O campo " + quoted(descriptor) + " é obrigatório.", where + ": obrigatório e vazio");
    }
    }
    out[name] = std::move(stored);
}

Json RecordValidator::normalizeList(
    const Json &descriptor, const Json &value, Context &context, const std::string &path) const
{
    Json list = Json::array();
    if (isEmptyValue(value))
        return list;
    if (!value.is_array()) {
        context.fail("O campo " + quoted(descriptor) + " deve ser uma lista.", path + ": esperado array");
        return list;
    }
    const Json &fields = descriptor["fields"];
    const std::string savedPrefix = context.messagePrefix;
    for (size_t i = 0; i < value.size(); ++i) {
        const std::string where = path + "[" + std::to_string(i) + "]";
        context.messagePrefix = savedPrefix + descriptor.value("label", "") + ", item " + std::to_string(i + 1) + ": ";
        if (!value[i].is_object()) {
            context.fail("o item deve ser um registro.", where + ": esperado objeto");
            continue;
        }
        Json element = Json::object();
        for (const Json &sub : fields)
            normalizeField(sub, value[i], element, context, where + ".");
        list.push_back(std::move(element));
    }
    context.messagePrefix = savedPrefix;

    // Sub-fields marked "idField" are the elements' keys: unique in the list, numbered when empty.
    for (const Json &sub : fields) {
        if (!sub.contains("idField"))
            continue;
        const std::string key = sub.value("nome", "");
        std::set<long long> used;
        long long highest = 0;
        for (const Json &element : list) {
            if (!element.contains(key) || !element[key].is_number_integer())
                continue;
            const long long id = element[key].get<long long>();
            if (!used.insert(id).second)
                context.fail(
                    descriptor.value("label", "") + ": o código " + std::to_string(id) + " aparece em mais de um item.",
                    path + "." + key + ": repetido " + std::to_string(id));
            highest = std::max(highest, id);
        }
        for (Json &element : list)
            if (element.contains(key) && element[key].is_null())
                element[key] = ++highest;
    }
    return list;
}

std::optional<Json> RecordValidator::normalizeRemote(
    const Json &descriptor, const Json &value, Context &context, const std::string &path) const
{
    const auto id = toInteger(value);
    if (!id) {
        context.fail(
            "O campo " + quoted(descriptor) + " deve indicar um registro pelo código.", path + ": " + value.dump());
        return std::nullopt;
    }
    const std::string target = referencedResource(descriptor);
    if (m_catalog.find(target) && !m_store.exists(target, id->get<long long>())) {
        context.fail("O registro informado no campo " + quoted(descriptor) + " não existe.",
            path + ": " + target + "/" + id->dump() + " não encontrado");
        return std::nullopt;
    }
    return id;
}

std::optional<Json> RecordValidator::normalizeLocal(
    const Json &descriptor, const Json &value, Context &context, const std::string &path) const
{
    const std::string key = trimmed(textOf(value));
    const Json *options = context.root ? resolveLocalPath(*context.root, descriptor.value("resource", "")) : nullptr;
    const Json *chosen = options ? findByKey(*options, descriptor.value("id", ""), key) : nullptr;
    if (!chosen) {
        context.fail("O campo " + quoted(descriptor) + " tem um valor que não está entre as opções do registro.",
            path + ": chave " + key + " não encontrada em " + descriptor.value("resource", ""));
        return std::nullopt;
    }
    return (*chosen)[descriptor.value("id", "")];
}

// A field with "subObject" arrives as two members: nome + "Root", the id of the main record, and
// nome, the key of an element of that record's nested array.
void RecordValidator::normalizeSubObject(
    const Json &descriptor, const Json &input, Json &out, Context &context, const std::string &path) const
{
    const std::string name = descriptor.value("nome", "");
    const std::string rootName = name + "Root";
    const Json &subObject = descriptor["subObject"];
    const auto member = [&input](const std::string &key) {
        return input.is_object() && input.contains(key) ? input[key] : Json(nullptr);
    };
    const Json mainValue = member(rootName);
    const Json subValue = member(name);
    Json mainId = nullptr;
    Json subKey = nullptr;
    if (!isEmptyValue(mainValue))
        mainId = normalizeRemote(descriptor, mainValue, context, path + rootName).value_or(Json(nullptr));
    if (!isEmptyValue(subValue)) {
        const auto main
            = mainId.is_null() ? std::nullopt : m_store.find(referencedResource(descriptor), mainId.get<long long>());
        const std::string wanted = trimmed(textOf(subValue));
        const Json nested = main ? main->value(subObject.value("resource", ""), Json::array()) : Json::array();
        const Json *element = findByKey(nested, subObject.value("id", ""), wanted);
        if (element)
            subKey = (*element)[subObject.value("id", "")];
        else
            context.fail("O valor escolhido em " + quoted(descriptor) + " não pertence ao registro selecionado.",
                path + name + ": " + wanted + " não está em " + subObject.value("resource", "") + " do registro "
                    + mainId.dump());
    }
    if (descriptor.value("requerido", false) && (isEmptyValue(mainValue) || isEmptyValue(subValue)))
        context.fail("O campo " + quoted(descriptor) + " é obrigatório.", path + name + ": obrigatório e vazio");
    out[rootName] = std::move(mainId);
    out[name] = std::move(subKey);
}

std::vector<RecordValidator::ReferenceSite> RecordValidator::referencesTo(const std::string &resource) const
{
    std::vector<ReferenceSite> sites;
    for (const std::string &name : m_catalog.names()) {
        const ResourceDefinition *definition = m_catalog.find(name);
        // Walks the fields; lists nested in lists are not looked into.
        std::function<void(const Json &, const std::string &, const std::string &)> walk
            = [&](const Json &fields, const std::string &listPath, const std::string &prefix) {
                  for (const Json &descriptor : fields) {
                      const std::string nome = descriptor.value("nome", "");
                      switch (fieldKind(descriptor)) {
                      case FieldKind::Remote:
                          if (referencedResource(descriptor) == resource)
                              sites.push_back({name, descriptor.value("label", nome), listPath,
                                  prefix + nome + (descriptor.contains("subObject") ? "Root" : "")});
                          break;
                      case FieldKind::Group:
                          walk(descriptor["fields"], listPath, prefix + nome + ".");
                          break;
                      case FieldKind::List:
                          if (listPath.empty())
                              walk(descriptor["fields"], prefix + nome, "");
                          break;
                      default:
                          break;
                      }
                  }
              };
        walk(definition->campos, "", "");
    }
    return sites;
}
