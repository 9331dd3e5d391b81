#pragma once

#include <stdexcept>

// A record-table operation that the table's state or contents do not allow.
class EDatabaseError final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
