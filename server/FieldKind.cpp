#include "server/FieldKind.h"

#include <algorithm>
#include <cctype>

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

} // namespace

FieldKind fieldKind(const nlohmann::ordered_json &descriptor)
{
    const std::string tipo = lowered(descriptor.value("tipo", ""));
    if (descriptor.contains("resource"))
        return descriptor.value("type", "") == "REMOTE" ? FieldKind::Remote : FieldKind::Local;
    if (tipo == "object" && descriptor.contains("fields"))
        return FieldKind::Group;
    if (tipo == "list" && descriptor.contains("fields"))
        return FieldKind::List;
    if (tipo == "long" || tipo == "int")
        return FieldKind::Integer;
    if (tipo == "float" || tipo == "double")
        return FieldKind::Decimal;
    if (tipo == "string")
        return FieldKind::Text;
    if (tipo == "boolean")
        return FieldKind::Boolean;
    if (tipo == "localdate")
        return FieldKind::Date;
    if (tipo == "enum")
        return FieldKind::Enum;
    return FieldKind::Unknown;
}

std::string referencedResource(const nlohmann::ordered_json &descriptor)
{
    const std::string resource = descriptor.value("resource", "");
    return resource.substr(0, resource.find_first_of("/?"));
}
