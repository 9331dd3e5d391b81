#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

class RecordStore;
class ResourceCatalog;
struct ResourceDefinition;

// Turns a record body sent by the client into the record the server stores, following the
// resource's field descriptors: values the client sends as text ("12", "1500,50", "2024-03-05")
// become typed JSON, references are checked against the store, list elements get their ids.
// Every fault found is collected; normalize() then throws ApiError 400 with all of them.
class RecordValidator final
{
public:
    // A place where records of one resource hold ids of another (for refusing deletes).
    struct ReferenceSite
    {
        std::string resource; // the referring resource
        std::string label; // its field's label, for the message
        std::string listPath; // array member holding the reference, or empty
        std::string memberPath; // dotted path of the id (inside the list element when listPath is set)
    };

    RecordValidator(const ResourceCatalog &catalog, RecordStore &store);

    // Must run inside the store's transaction. Returns the record without "id".
    nlohmann::ordered_json normalize(const ResourceDefinition &definition, const nlohmann::ordered_json &body) const;

    std::vector<ReferenceSite> referencesTo(const std::string &resource) const;

private:
    struct Context;
    nlohmann::ordered_json normalizeFields(const nlohmann::ordered_json &fields, const nlohmann::ordered_json &input,
        Context &context, const std::string &path, bool topLevel) const;
    void normalizeField(const nlohmann::ordered_json &descriptor, const nlohmann::ordered_json &input,
        nlohmann::ordered_json &out, Context &context, const std::string &path) const;
    nlohmann::ordered_json normalizeList(const nlohmann::ordered_json &descriptor, const nlohmann::ordered_json &value,
        Context &context, const std::string &path) const;
    std::optional<nlohmann::ordered_json> normalizeRemote(const nlohmann::ordered_json &descriptor,
        const nlohmann::ordered_json &value, Context &context, const std::string &path) const;
    std::optional<nlohmann::ordered_json> normalizeLocal(const nlohmann::ordered_json &descriptor,
        const nlohmann::ordered_json &value, Context &context, const std::string &path) const;
    void normalizeSubObject(const nlohmann::ordered_json &descriptor, const nlohmann::ordered_json &input,
        nlohmann::ordered_json &out, Context &context, const std::string &path) const;

    const ResourceCatalog &m_catalog;
    RecordStore &m_store;
};
