#pragma once

#include <optional>
#include <string>
#include <vector>

// One condition of a page query. "member" is a dotted path into the stored record, or "id".
struct RecordCondition
{
    enum class Kind { Contains, OneOf };
    std::string member;
    Kind kind = Kind::Contains;
    std::string text; // Contains: matched case-insensitively as a substring
    std::vector<double> numbers; // OneOf: the member equals any of these
};

// The order of a page by one member: numbers by value, anything else as case-folded text; records
// without the member come last (first when descending); equal values by id.
struct RecordOrder
{
    std::string member; // a dotted path into the stored record, or "id"
    bool descending = false;
    bool numeric = false;
};

// A page request: conditions joined by AND, rows in the order asked, else by id.
struct RecordQuery
{
    std::vector<RecordCondition> conditions;
    std::optional<RecordOrder> order;
    long long size = 20;
    long long page = 0;
};
