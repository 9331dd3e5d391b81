#pragma once

#include <stdexcept>

// Errors raised by the JSON converters themselves.
class EDataSetConverterException final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
