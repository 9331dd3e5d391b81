#pragma once

#include <QHash>
#include <QString>

#include <optional>

// Read-only INI file. Section and key names match without regard to letter case; the first
// occurrence of a section or key wins. Values are cut to 2047 characters, trimmed, and lose one
// enclosing pair of single or double quotes. Lines starting with ';' or '#' are comments.
class TIniFile final
{
public:
    static constexpr int MaxValueLength = 2047;

    explicit TIniFile(const QString &fileName);

    bool ValueExists(const QString &section, const QString &key) const;
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    // Decimal, or hexadecimal when the text starts with "$" or "0x" (any case); the default when the
    // text is empty or does not convert to a 32-bit signed integer.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;

    static int ParseInteger(const QString &text, int defaultValue);
    // The integer text holds (decimal, 0x or $ hexadecimal), or nothing.
    static std::optional<int> ToInteger(const QString &text);

private:
    void Parse(const QString &content);
    static QString CleanValue(QString value);
    static QString SlotName(const QString &section, const QString &key);

    QHash<QString, QString> FValues; // "section\nkey" in lower case -> value
};
