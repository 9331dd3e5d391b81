#include "convert/TFieldMatcher.h"

#include "convert/TField.h"
#include "convert/TRecordTable.h"

TFieldMatcher::TFieldMatcher(const TRecordTable &table) : FFieldCount(table.FieldCount())
{
    for (int i = FFieldCount - 1; i >= 0; --i)
        FFieldIndex[table.Fields(i)->FieldName().toStdString()] = i; // the first of equal names wins
}

int TFieldMatcher::FieldOf(const std::string &name, size_t position)
{
    if (position >= FSeenKeys.size()) {
        FSeenKeys.resize(position + 1);
        FSeenFields.resize(position + 1, -1);
    } else if (FSeenKeys[position] == name) {
        return FSeenFields[position];
    }
    const auto found = FFieldIndex.find(name);
    FSeenKeys[position] = name;
    FSeenFields[position] = found == FFieldIndex.end() ? -1 : found->second;
    return FSeenFields[position];
}

const std::vector<const nlohmann::ordered_json *> &TFieldMatcher::Match(const nlohmann::ordered_json &object)
{
    FMembers.assign(size_t(FFieldCount), nullptr);
    size_t position = 0;
    for (auto it = object.begin(); it != object.end(); ++it, ++position) {
        const int field = FieldOf(it.key(), position);
        if (field >= 0 && !FMembers[size_t(field)])
            FMembers[size_t(field)] = &it.value();
    }
    return FMembers;
}
