#pragma once

#include <QString>

// The user's regional number and time settings, read from the default QLocale, and the
// number texts built with them.
class TFormatSettings final
{
public:
    static QString DecimalSeparator();
    static QString TimeSeparator();

    // Integral values as plain digits, others in general format with up to 15 significant
    // digits and the user's decimal separator, without group separators.
    static QString FloatToText(double value);
    // A money value in ten-thousandths as "0.00##": two to four decimals, user's separator.
    static QString CurrencyToText(qint64 tenThousandths);
    // Reads a number written with the user's decimal separator (or a dot).
    static bool TextToFloat(const QString &text, double &value);
};
