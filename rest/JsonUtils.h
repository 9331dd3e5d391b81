#pragma once

// The JSON helpers every screen uses on what the server sends.

#include <QString>

#include <nlohmann/json.hpp>

#include <optional>
#include <stdexcept>
#include <string_view>

using TJson = nlohmann::ordered_json;

// A value missing at a path, or one that cannot be read in the asked form.
class EJsonException final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
    explicit EJsonException(const QString &message) : std::runtime_error(message.toStdString()) {}
};

// Deeper nesting is refused like invalid JSON: copying or printing such a tree recurses that deep.
constexpr int MaxJsonDepth = 1000;

// The whole byte range as UTF-8 JSON (a NUL byte inside is an error); the first of duplicate
// members wins. Nothing on any error; never raises.
std::optional<TJson> ParseJson(std::string_view text);
std::optional<TJson> ParseJson(const QString &text);

bool Contains(const TJson &object, std::string_view name);
bool Contains(const TJson &object, const QString &name);
inline bool Contains(const TJson &object, const char *name) { return Contains(object, std::string_view(name)); }

// Readings at a path: member names separated by dots, each optionally followed by [index]es; a
// member may also be written ["name"]; the empty path is the value itself. They raise
// EJsonException with "Value '%s' not found" or "Conversion from %0:s to %1:s is not supported".
QString GetValueText(const TJson &value, const QString &path);
inline QString GetValueText(const TJson &value, const char *path) { return GetValueText(value, QString::fromLatin1(path)); }
int GetValueInt(const TJson &value, const QString &path);
bool GetValueBool(const TJson &value, const QString &path);
const TJson &GetValueJson(const TJson &value, const QString &path);
const TJson &GetValueArray(const TJson &value, const QString &path);
const TJson &GetValueObject(const TJson &value, const QString &path);

// The text form of a value: a string its content, a number its JSON text as read, booleans
// "true" and "false", null the empty text. Raises for objects and arrays.
QString JsonValueText(const TJson &value);
// The type name used in conversion errors.
QString JsonTypeName(const TJson &value);

// The program's own path language for lists inside a record ("root.itens", "dados.cidades",
// "root[0].nome"). Nothing when the walk fails or ends on an index or a dot; never raises.
const TJson *FindJsonValue(const TJson &value, const QString &path);

// UTF-8 text of a value: compact, as sent to the server, or with indent >= 0 one member or
// element a line, indented that many blanks a level. Numbers are written as they were read.
QString JsonToText(const TJson &value, int indent = -1);
