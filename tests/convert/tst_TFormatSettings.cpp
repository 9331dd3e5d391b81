#include "convert/TFormatSettings.h"

#include <QLocale>
#include <QTest>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

// The text of a number as the grids and text fields show it: integral values as digits, the
// others with 15 significant digits in the user's symbols.
class tst_TFormatSettings final : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void floatToText_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("integral") << "C" << 42.0 << "42";
        QTest::newRow("negative integral") << "pt_BR" << -7.0 << "-7";
        QTest::newRow("integral at 1e15") << "C" << 1e15 << "1e+15";
        QTest::newRow("fraction") << "C" << 1.5 << "1.5";
        QTest::newRow("user's separator") << "pt_BR" << 1.5 << "1,5";
        QTest::newRow("no group separator") << "pt_BR" << 1234567.891 << "1234567,891";
        QTest::newRow("15 digits, not the shortest") << "C" << 0.1 + 0.2 << "0.3";
        QTest::newRow("rounded at 15 digits") << "C" << 123456789012345.6 << "123456789012346";
        QTest::newRow("a half is rounded up") << "C" << 710847787275134.5 << "710847787275135";
        QTest::newRow("a negative half away from zero") << "C" << -11994172458485.25 << "-11994172458485.3";
        QTest::newRow("digits beyond 15 dropped") << "C" << 2.0 / 3.0 << "0.666666666666667";
        QTest::newRow("rounding carries into a new digit") << "C" << 999999999999999.9 << "1e+15";
        QTest::newRow("small plain") << "C" << 0.0001 << "0.0001";
        QTest::newRow("small exponent") << "C" << 1.5e-7 << "1.5e-07";
        QTest::newRow("user's exponent") << "pt_BR" << 1e-5 << "1E-05";
        QTest::newRow("large exponent") << "pt_BR" << 1.5e20 << "1,5E+20";
        QTest::newRow("three-digit exponent") << "C" << 1.7976931348623157e308 << "1.79769313486232e+308";
        QTest::newRow("smallest subnormal") << "C" << 5e-324 << "4.94065645841247e-324";
        QTest::newRow("user's minus sign") << "sv_SE" << -2.75 << QStringLiteral("\u2212") + "2,75";
        QTest::newRow("not a number") << "pt_BR" << std::numeric_limits<double>::quiet_NaN() << "nan";
        QTest::newRow("infinity") << "C" << inf << "inf";
        QTest::newRow("minus infinity") << "C" << -inf << "-inf";
    }

    void floatToText()
    {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(TFormatSettings::FloatToText(value), text);
    }

    // Whatever the magnitude, the text is the one the locale's own general format with 15 digits
    // writes: numbers of every exponent, whole thousandths and raw bit patterns.
    void agreesWithTheLocalesGeneralFormat_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char *name : {"C", "pt_BR", "de_DE", "sv_SE"})
            QTest::newRow(name) << name;
    }

    void agreesWithTheLocalesGeneralFormat()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        QLocale reference;
        reference.setNumberOptions(QLocale::OmitGroupSeparator);
        std::mt19937_64 random(17);
        std::uniform_real_distribution<double> power(-12, 25);
        std::uniform_real_distribution<double> mantissa(-10, 10);
        for (int i = 0; i < 20000; ++i) {
            const double m = mantissa(random);
            const double p = power(random);
            for (const double value : {m * std::pow(10, p), std::round(m * 1000) / 1000 * std::pow(10, int(p) % 5),
                     std::ldexp(double(random() >> 11), -int(random() % 60)), std::bit_cast<double>(random())}) {
                if (!std::isfinite(value) || (value == std::trunc(value) && std::fabs(value) < 1e15))
                    continue; // integral values are plain digits in every locale
                QCOMPARE(TFormatSettings::FloatToText(value), reference.toString(value, 'g', 15));
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_TFormatSettings)
#include "tst_TFormatSettings.moc"
