#include "convert/TFormatSettings.h"

#include <QLocale>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr int kSignificant = 15;

// A finite number as sign, decimal digits and power of ten of the first digit.
struct TDecimal
{
    bool Negative = false;
    std::string Digits;
    int Exponent = 0;
};

// The value's first precision + 1 digits, correctly rounded; buffer must hold them.
TDecimal Scientific(double value, int precision, char *buffer, size_t size)
{
    const auto written = std::to_chars(buffer, buffer + size, value, std::chars_format::scientific, precision);
    std::string_view text(buffer, size_t(written.ptr - buffer));
    TDecimal decimal;
    decimal.Negative = text.front() == '-';
    if (decimal.Negative)
        text.remove_prefix(1);
    const size_t e = text.find('e');
    for (const char c : text.substr(0, e))
        if (c != '.')
            decimal.Digits += c;
    const char *exponent = text.data() + e + 1;
    if (*exponent == '+')
        ++exponent;
    std::from_chars(exponent, text.data() + text.size(), decimal.Exponent);
    return decimal;
}

// The value rounded to kSignificant digits, halves away from zero (std::to_chars would round
// them to even), trailing zeros dropped. The digit after the cut is read from kSignificant + 2
// digits; only "50" there may be an exact "4999..." rounded up, and then the whole exact
// expansion (at most 767 digits) decides.
TDecimal RoundedDecimal(double value)
{
    char buffer[32];
    TDecimal decimal = Scientific(value, kSignificant + 1, buffer, sizeof buffer);
    bool up = decimal.Digits[kSignificant] >= '5';
    if (decimal.Digits[kSignificant] == '5' && decimal.Digits[kSignificant + 1] == '0') {
        std::array<char, 800> exact;
        up = Scientific(value, 770, exact.data(), exact.size()).Digits[kSignificant] >= '5';
    }
    decimal.Digits.resize(kSignificant);
    for (int i = kSignificant - 1; up && i >= 0; --i) {
        char &digit = decimal.Digits[size_t(i)];
        up = digit == '9';
        digit = up ? '0' : char(digit + 1);
    }
    if (up) { // 999... became 000...
        decimal.Digits.insert(decimal.Digits.begin(), '1');
        decimal.Digits.pop_back();
        ++decimal.Exponent;
    }
    while (decimal.Digits.size() > 1 && decimal.Digits.back() == '0')
        decimal.Digits.pop_back();
    return decimal;
}

// The general format in ASCII: plain digits for powers of ten from -5 to 14, otherwise
// d.ddde+XX with at least two exponent digits.
std::string GeneralText(const TDecimal &decimal)
{
    const std::string &digits = decimal.Digits;
    const int exponent = decimal.Exponent;
    std::string text = decimal.Negative ? "-" : "";
    if (exponent < -4 || exponent >= kSignificant) {
        text += digits[0];
        if (digits.size() > 1)
            text.append(".").append(digits, 1);
        text += exponent < 0 ? "e-" : "e+";
        const std::string power = std::to_string(std::abs(exponent));
        if (power.size() < 2)
            text += '0';
        text += power;
    } else if (exponent < 0) {
        text.append("0.").append(size_t(-exponent - 1), '0').append(digits);
    } else {
        const size_t whole = size_t(exponent) + 1;
        if (digits.size() <= whole)
            text.append(digits).append(whole - digits.size(), '0');
        else
            text.append(digits, 0, whole).append(".").append(digits, whole);
    }
    return text;
}

// Puts the locale's symbol in place of an ASCII one; most locales keep most of them.
void ReplaceSymbol(QString &text, char ascii, const QString &symbol)
{
    if (symbol.size() != 1 || symbol.at(0) != QLatin1Char(ascii))
        text.replace(QLatin1Char(ascii), symbol);
}

} // namespace

QString TFormatSettings::DecimalSeparator()
{
    return QLocale().decimalPoint();
}

QString TFormatSettings::TimeSeparator()
{
    // The separator is the first character after the hours in the locale's short time format.
    const QString format = QLocale().timeFormat(QLocale::ShortFormat);
    const qsizetype hour = format.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    if (hour < 0)
        return QStringLiteral(":");
    qsizetype i = hour;
    while (i < format.size() && (format.at(i) == QLatin1Char('h') || format.at(i) == QLatin1Char('H')))
        ++i;
    if (i >= format.size() || format.at(i).isLetter() || format.at(i) == QLatin1Char('\''))
        return QStringLiteral(":");
    return format.mid(i, 1);
}

QString TFormatSettings::FloatToText(double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    const QLocale locale;
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return (value < 0 ? locale.negativeSign() : QString()) + QStringLiteral("inf");
    QString text = QString::fromLatin1(GeneralText(RoundedDecimal(value)));
    ReplaceSymbol(text, '.', locale.decimalPoint());
    ReplaceSymbol(text, 'e', locale.exponential());
    ReplaceSymbol(text, '-', locale.negativeSign());
    ReplaceSymbol(text, '+', locale.positiveSign());
    return text;
}

QString TFormatSettings::CurrencyToText(qint64 tenThousandths)
{
    const bool negative = tenThousandths < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(tenThousandths) : quint64(tenThousandths);
    QString decimals = QStringLiteral("%1").arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
    while (decimals.size() > 2 && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    return (negative ? QStringLiteral("-") : QString()) + QString::number(magnitude / 10000) + DecimalSeparator()
        + decimals;
}

bool TFormatSettings::TextToFloat(const QString &text, double &value)
{
    bool ok = false;
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    value = locale.toDouble(text.trimmed(), &ok);
    if (!ok)
        value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok;
}
