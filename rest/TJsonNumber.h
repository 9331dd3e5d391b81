#pragma once

// Header only, with nothing but the JSON library: the record-table converter reads numbers of
// parsed trees too, without linking the request layer.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Owns how a number of a parsed tree keeps the text it was written with. The JSON library keeps
// integers exactly but holds every other number as a double, which it writes in its own shortest
// form ("2.50" becomes 2.5, "1E3" 1000.0, an integer beyond 64 bits an exponent, "-0" 0). A number
// whose literal the library would not write back unchanged is therefore held as a binary value of
// our own subtype carrying the double and the literal; JSON text never yields a binary value, so
// the subtype cannot be mistaken. Everything that reads or writes numbers of a parsed tree asks
// this class, so such a value is a number to all of them.
class TJsonNumber final
{
public:
    using TValue = nlohmann::ordered_json;
    static constexpr std::uint8_t LiteralSubtype = 0x4E; // 'N'

    TJsonNumber() = delete;

    // The value for a number read from JSON text: a plain number when the library writes it back
    // as its literal, a literal-keeping value otherwise.
    static TValue FromLiteral(double value, std::string_view literal)
    {
        std::string text(literal);
        // The library's lexer puts the C library's decimal point (',' under some locales) in
        // place of the '.'; every other character of a number literal is a digit, sign or e.
        for (char &c : text)
            if (std::strchr("0123456789+-eE", c) == nullptr)
                c = '.';
        if (WritesBackAs(value, text))
            return TValue(value);
        std::vector<std::uint8_t> bytes(sizeof value + text.size());
        std::memcpy(bytes.data(), &value, sizeof value);
        std::memcpy(bytes.data() + sizeof value, text.data(), text.size());
        return TValue::binary(std::move(bytes), LiteralSubtype);
    }

    static bool KeepsLiteral(const TValue &value)
    {
        if (!value.is_binary())
            return false;
        const TValue::binary_t &bytes = value.get_binary();
        return bytes.has_subtype() && bytes.subtype() == LiteralSubtype && bytes.size() > sizeof(double);
    }

    static bool IsNumber(const TValue &value) { return value.is_number() || KeepsLiteral(value); }

    // The JSON text of a number (IsNumber): its literal, or the library's form, which is the same.
    static std::string Text(const TValue &value)
    {
        if (!KeepsLiteral(value))
            return value.dump();
        const TValue::binary_t &bytes = value.get_binary();
        return std::string(bytes.begin() + sizeof(double), bytes.end());
    }

    // The value of a number (IsNumber) as a double.
    static double Value(const TValue &value)
    {
        if (!KeepsLiteral(value))
            return value.get<double>();
        double result = 0;
        std::memcpy(&result, value.get_binary().data(), sizeof result);
        return result;
    }

private:
    // Whether the library writes the value as text. Parsing asks this of every number that is not a
    // 64-bit integer, so it reuses one writer and one buffer per thread.
    static bool WritesBackAs(double value, std::string_view text)
    {
        thread_local std::string written;
        thread_local nlohmann::detail::serializer<TValue> writer(
            nlohmann::detail::output_adapter<char>(written), ' ', TValue::error_handler_t::replace);
        written.clear();
        writer.dump(TValue(value), false, false, 0);
        return written == text;
    }
};
