#pragma once

#include <stdexcept>

// A value of the wrong kind where a cast was required ("Invalid class typecast").
class EInvalidCast final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
