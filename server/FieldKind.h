#pragma once

#include <nlohmann/json.hpp>

#include <string>

// What a field descriptor stands for, decided once from "tipo", "resource", "type" and "fields",
// the way the client chooses its control.
enum class FieldKind {
    Integer, // "long", "int"
    Decimal, // "float", "double"
    Text, // "string"
    Boolean, // "boolean"
    Date, // "localdate"
    Enum, // "enum" with "values"
    Remote, // "resource" with "type" "REMOTE": the id of a record of another resource
    Local, // "resource" with another "type": a key from an array of the record itself
    Group, // "object" with "fields" and no "resource"
    List, // "list" with "fields"
    Unknown // anything else: the client makes no control, the server stores nothing
};

FieldKind fieldKind(const nlohmann::ordered_json &descriptor);

// The resource a remote field refers to: its "resource" without the "method" suffix.
std::string referencedResource(const nlohmann::ordered_json &descriptor);
