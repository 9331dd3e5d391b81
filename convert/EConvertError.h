#pragma once

#include <stdexcept>

// A text that does not convert to the number, date or time it should hold.
class EConvertError final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
