#include "rest/JsonUtils.h"

#include "rest/TJsonNumber.h"

#include <QRegularExpression>

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace {

// The members an object being parsed already has, to keep the first of duplicates. A small object
// is scanned; past WideObject members its names go into a hash, so an object of n members parses
// in O(n), not O(n^2).
class TMemberNames
{
public:
    static constexpr std::size_t WideObject = 16;

    explicit TMemberNames(TJson *container) : FContainer(container) {}

    TJson &Container() const { return *FContainer; }

    bool Contains(const std::string &name) const
    {
        const auto &members = FContainer->get_ref<const TJson::object_t &>();
        if (members.size() < WideObject)
            return std::any_of(members.begin(), members.end(), [&](const auto &m) { return m.first == name; });
        return FNames.count(name) > 0;
    }

    // Appends a member known to be new; the object's own emplace would scan for the name again.
    TJson *Append(std::string &&name, TJson &&value)
    {
        auto &members = static_cast<TJson::object_t::Container &>(FContainer->get_ref<TJson::object_t &>());
        if (members.size() + 1 == WideObject) {
            for (const auto &member : members)
                FNames.insert(member.first);
        }
        if (members.size() + 1 >= WideObject)
            FNames.insert(name);
        members.emplace_back(std::move(name), std::move(value));
        return &members.back().second;
    }

private:
    TJson *FContainer;
    std::unordered_set<std::string> FNames;
};

// Builds the tree like nlohmann's own DOM parser, but keeps the first of duplicate members,
// refuses nesting deeper than MaxJsonDepth and keeps the literal of numbers (TJsonNumber).
class TFirstWinsBuilder final : public nlohmann::json_sax<TJson>
{
public:
    explicit TFirstWinsBuilder(TJson &root) : FRoot(root) {}

    bool null() override { return Add(TJson(nullptr)); }
    bool boolean(bool value) override { return Add(TJson(value)); }
    // The lexer reads an integer with a minus sign as signed and one without as unsigned, so a
    // signed zero can only have been written "-0".
    bool number_integer(number_integer_t value) override
    {
        return Add(value == 0 ? TJsonNumber::FromLiteral(-0.0, "-0") : TJson(value));
    }
    bool number_unsigned(number_unsigned_t value) override { return Add(TJson(value)); }
    bool number_float(number_float_t value, const string_t &literal) override
    {
        return Add(TJsonNumber::FromLiteral(value, literal));
    }
    bool string(string_t &value) override { return Add(TJson(std::move(value))); }
    bool binary(binary_t &) override { return false; }

    bool start_object(std::size_t) override { return Open(TJson::object()); }
    bool start_array(std::size_t) override { return Open(TJson::array()); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }

    bool key(string_t &name) override
    {
        if (FSkipDepth > 0)
            return true;
        if (FStack.back().Contains(name)) {
            FSkipNext = true;
            return true;
        }
        FPendingKey = std::move(name);
        return true;
    }

    bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &) override { return false; }

private:
    bool Add(TJson &&value)
    {
        if (FSkipDepth > 0)
            return true;
        if (FSkipNext) {
            FSkipNext = false;
            return true;
        }
        Place(std::move(value));
        return true;
    }

    bool Open(TJson &&container)
    {
        if (++FDepth > MaxJsonDepth)
            return false;
        if (FSkipDepth > 0 || FSkipNext) {
            FSkipNext = false;
            ++FSkipDepth;
            return true;
        }
        FStack.emplace_back(Place(std::move(container)));
        return true;
    }

    bool Close()
    {
        --FDepth;
        if (FSkipDepth > 0)
            --FSkipDepth;
        else
            FStack.pop_back();
        return true;
    }

    TJson *Place(TJson &&value)
    {
        if (FStack.empty()) {
            FRoot = std::move(value);
            return &FRoot;
        }
        TMemberNames &open = FStack.back();
        TJson &parent = open.Container();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        return open.Append(std::move(FPendingKey), std::move(value));
    }

    TJson &FRoot;
    std::vector<TMemberNames> FStack;
    std::string FPendingKey;
    int FDepth = 0;
    int FSkipDepth = 0;
    bool FSkipNext = false;
};

QString NotFound(const QString &path)
{
    return QStringLiteral("Value '%1' not found").arg(path);
}

QString NotSupported(const TJson &value, const QString &form)
{
    return QStringLiteral("Conversion from %1 to %2 is not supported").arg(JsonTypeName(value), form);
}

const TJson *Member(const TJson *value, const std::string &name)
{
    if (!value || !value->is_object())
        return nullptr;
    const auto it = value->find(name);
    return it == value->end() ? nullptr : &*it;
}

const TJson *Element(const TJson *value, qsizetype index)
{
    if (!value || !value->is_array() || index < 0 || std::size_t(index) >= value->size())
        return nullptr;
    return &(*value)[std::size_t(index)];
}

// Walks a dotted path with [index] and ["name"] parts; null when any step fails.
const TJson *Walk(const TJson &root, const QString &path)
{
    const TJson *current = &root;
    qsizetype i = 0;
    const qsizetype n = path.size();
    while (i < n && current) {
        const QChar c = path.at(i);
        if (c == QLatin1Char('.')) {
            ++i;
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = path.indexOf(QLatin1Char(']'), i);
            if (close < 0)
                return nullptr;
            const QString inner = path.mid(i + 1, close - i - 1);
            if (inner.size() >= 2 && (inner.front() == QLatin1Char('"') || inner.front() == QLatin1Char('\''))
                && inner.back() == inner.front()) {
                current = Member(current, inner.mid(1, inner.size() - 2).toStdString());
            } else {
                bool ok = false;
                const qsizetype index = inner.toLongLong(&ok);
                current = ok ? Element(current, index) : nullptr;
            }
            i = close + 1;
        } else {
            qsizetype end = i;
            while (end < n && path.at(end) != QLatin1Char('.') && path.at(end) != QLatin1Char('['))
                ++end;
            current = Member(current, path.mid(i, end - i).toStdString());
            i = end;
        }
    }
    return current;
}

// Writes a value as nlohmann's dump does, compact (indent < 0) or one member or element a line,
// but numbers as they were read.
void WriteJson(const TJson &value, int indent, int level, std::string &out)
{
    if (TJsonNumber::KeepsLiteral(value)) {
        out += TJsonNumber::Text(value);
        return;
    }
    if (!value.is_structured() || value.empty()) {
        out += value.dump(-1, ' ', false, TJson::error_handler_t::replace);
        return;
    }
    const auto newLine = [&](int depth) {
        if (indent >= 0) {
            out += '\n';
            out.append(std::size_t(depth) * std::size_t(indent), ' ');
        }
    };
    const bool object = value.is_object();
    out += object ? '{' : '[';
    for (auto it = value.begin(); it != value.end(); ++it) {
        if (it != value.begin())
            out += ',';
        newLine(level + 1);
        if (object) {
            out += TJson(it.key()).dump(-1, ' ', false, TJson::error_handler_t::replace);
            out += indent >= 0 ? ": " : ":";
        }
        WriteJson(*it, indent, level + 1, out);
    }
    newLine(level);
    out += object ? '}' : ']';
}

const TJson &Found(const TJson &value, const QString &path)
{
    const TJson *found = Walk(value, path);
    if (!found)
        throw EJsonException(NotFound(path));
    return *found;
}

} // namespace

std::optional<TJson> ParseJson(std::string_view text)
{
    // The parser takes a NUL byte for the end of input; raw NUL is never valid JSON text.
    if (text.find('\0') != std::string_view::npos)
        return std::nullopt;
    TJson root;
    TFirstWinsBuilder builder(root);
    try {
        if (!TJson::sax_parse(text.begin(), text.end(), &builder, nlohmann::detail::input_format_t::json, true))
            return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
    return root;
}

std::optional<TJson> ParseJson(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return ParseJson(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

bool Contains(const TJson &object, std::string_view name)
{
    return object.is_object() && object.find(std::string(name)) != object.end();
}

bool Contains(const TJson &object, const QString &name)
{
    return Contains(object, std::string_view(name.toStdString()));
}

QString JsonTypeName(const TJson &value)
{
    if (TJsonNumber::IsNumber(value))
        return QStringLiteral("TJSONNumber");
    switch (value.type()) {
    case TJson::value_t::object: return QStringLiteral("TJSONObject");
    case TJson::value_t::array: return QStringLiteral("TJSONArray");
    case TJson::value_t::string: return QStringLiteral("TJSONString");
    case TJson::value_t::boolean: return value.get<bool>() ? QStringLiteral("TJSONTrue") : QStringLiteral("TJSONFalse");
    case TJson::value_t::null: return QStringLiteral("TJSONNull");
    default: return QStringLiteral("TJSONNumber");
    }
}

QString JsonValueText(const TJson &value)
{
    if (TJsonNumber::IsNumber(value))
        return QString::fromStdString(TJsonNumber::Text(value));
    switch (value.type()) {
    case TJson::value_t::string: return QString::fromStdString(value.get_ref<const std::string &>());
    case TJson::value_t::boolean: return value.get<bool>() ? QStringLiteral("true") : QStringLiteral("false");
    case TJson::value_t::null: return QString();
    default:
        throw EJsonException(NotSupported(value, QStringLiteral("string")));
    }
}

QString GetValueText(const TJson &value, const QString &path)
{
    return JsonValueText(Found(value, path));
}

int GetValueInt(const TJson &value, const QString &path)
{
    const TJson &found = Found(value, path);
    if (found.is_boolean())
        return found.get<bool>() ? 1 : 0;
    if (!found.is_string() && !TJsonNumber::IsNumber(found))
        throw EJsonException(NotSupported(found, QStringLiteral("Integer")));
    const QString text = JsonValueText(found);
    bool ok = false;
    const int result = text.toInt(&ok, 10);
    if (!ok)
        throw EJsonException(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return result;
}

bool GetValueBool(const TJson &value, const QString &path)
{
    const TJson &found = Found(value, path);
    if (found.is_boolean())
        return found.get<bool>();
    if (!found.is_string() && !TJsonNumber::IsNumber(found))
        throw EJsonException(NotSupported(found, QStringLiteral("Boolean")));
    const QString text = JsonValueText(found);
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok)
        throw EJsonException(QStringLiteral("'%1' is not a valid boolean value").arg(text));
    return number != 0;
}

const TJson &GetValueJson(const TJson &value, const QString &path)
{
    return Found(value, path);
}

const TJson &GetValueArray(const TJson &value, const QString &path)
{
    const TJson &found = Found(value, path);
    if (!found.is_array())
        throw EJsonException(QStringLiteral("Invalid class typecast"));
    return found;
}

const TJson &GetValueObject(const TJson &value, const QString &path)
{
    const TJson &found = Found(value, path);
    if (!found.is_object())
        throw EJsonException(QStringLiteral("Invalid class typecast"));
    return found;
}

const TJson *FindJsonValue(const TJson &value, const QString &path)
{
    static const QRegularExpression tokenPattern(QStringLiteral("[A-z0-9]+[.\\[\\n]*"));
    static const QRegularExpression indexPattern(QStringLiteral("(?<=\\[)[\\d]+(?=\\])"));
    const auto isRoot = [](const QString &name) { return name.toLower() == QLatin1String("root"); };

    const TJson *current = &value;
    const TJson *result = nullptr;
    auto tokens = tokenPattern.globalMatch(path);
    while (tokens.hasNext()) {
        const QString token = tokens.next().captured(0);
        const QRegularExpressionMatch index = indexPattern.match(token);
        if (index.hasMatch()) {
            const QString name = token.left(index.capturedStart(0) - 1);
            bool ok = false;
            const qsizetype i = index.captured(0).toLongLong(&ok);
            current = Element(isRoot(name) ? current : Member(current, name.toStdString()), ok ? i : -1);
        } else if (token.endsWith(QLatin1Char('.'))) {
            const QString name = token.chopped(1);
            if (!isRoot(name))
                current = Member(current, name.toStdString());
        } else {
            const TJson *member = Member(current, token.toStdString());
            if (!member)
                return result;
            result = member;
        }
        if (!current)
            return result;
    }
    return result;
}

QString JsonToText(const TJson &value, int indent)
{
    std::string text;
    WriteJson(value, indent, 0, text);
    return QString::fromStdString(text);
}
