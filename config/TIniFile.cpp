#include "config/TIniFile.h"

#include "config/ConfigLog.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

TIniFile::TIniFile(const QString &fileName)
{
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly))
        Parse(QString::fromUtf8(file.readAll()));
    else if (file.exists()) // an absent file means the defaults; an unreadable one is a fault
        qCWarning(lcConfig) << fileName << "cannot be read, the defaults apply:" << file.errorString();
}

QString TIniFile::SlotName(const QString &section, const QString &key)
{
    return section.trimmed().toLower() + QLatin1Char('\n') + key.trimmed().toLower();
}

QString TIniFile::CleanValue(QString value)
{
    value = value.left(MaxValueLength).trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    return value;
}

void TIniFile::Parse(const QString &content)
{
    QString section;
    bool inSection = false;
    const QStringList lines = content.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (QString line : lines) {
        if (line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
            section = trimmed.mid(1, close < 0 ? -1 : close - 1);
            inSection = true;
            continue;
        }
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        if (!inSection || eq <= 0)
            continue;
        const QString slot = SlotName(section, trimmed.left(eq));
        if (!FValues.contains(slot))
            FValues.insert(slot, CleanValue(trimmed.mid(eq + 1)));
    }
}

bool TIniFile::ValueExists(const QString &section, const QString &key) const
{
    return FValues.contains(SlotName(section, key));
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    return FValues.value(SlotName(section, key), defaultValue);
}

int TIniFile::ParseInteger(const QString &text, int defaultValue)
{
    return ToInteger(text).value_or(defaultValue);
}

std::optional<int> TIniFile::ToInteger(const QString &text)
{
    QString digits = text;
    if (digits.size() > 2 && digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits.replace(0, 2, QLatin1Char('$'));
    bool ok = false;
    int value = 0;
    if (digits.startsWith(QLatin1Char('$'))) {
        const QStringView hex = QStringView(digits).mid(1);
        // Signs are not part of a hexadecimal literal.
        if (!hex.isEmpty() && hex.front() != QLatin1Char('-') && hex.front() != QLatin1Char('+'))
            value = hex.toInt(&ok, 16);
    } else {
        value = digits.toInt(&ok, 10);
    }
    return ok ? std::optional<int>(value) : std::nullopt;
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QString text = ReadString(section, key, QString());
    const std::optional<int> value = ToInteger(text);
    if (!value && !text.isEmpty())
        qCWarning(lcConfig) << "key" << key << "of section" << section << "is not a number:" << text.left(40)
                            << "- the default" << defaultValue << "applies";
    return value.value_or(defaultValue);
}
