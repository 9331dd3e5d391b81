#pragma once

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

// A page request: conditions joined by AND, rows ordered by id.
struct RecordQuery
{
    std::vector<RecordCondition> conditions;
    long long size = 20;
    long long page = 0;
};
