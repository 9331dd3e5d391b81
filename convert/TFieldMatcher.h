#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <unordered_map>
#include <vector>

class TRecordTable;

// Finds, for each field of a table, the member of a JSON object with exactly the field's name
// (the first one when a name occurs twice). Names are resolved once per table; the member
// order of the previous object is remembered, so objects that share their layout cost one
// string compare per member.
class TFieldMatcher final
{
public:
    explicit TFieldMatcher(const TRecordTable &table);

    // Entry i is the value for field i, or null when the object has none; valid until the
    // next call.
    const std::vector<const nlohmann::ordered_json *> &Match(const nlohmann::ordered_json &object);

private:
    int FieldOf(const std::string &name, size_t position);

    std::unordered_map<std::string, int> FFieldIndex;
    std::vector<std::string> FSeenKeys; // member name last seen at each position
    std::vector<int> FSeenFields; // its field index, -1 for none
    std::vector<const nlohmann::ordered_json *> FMembers;
    int FFieldCount;
};
