#pragma once

#include <QString>
#include <QStringList>

// Changes keys of an INI file and keeps every other line as it stands: comments, other keys, other
// sections, their order and the file's line ends. Owns the file's lines between reading and
// UpdateFile. Section and key names match as TIniFile matches them (any letter case, first
// occurrence), so what is written is what TIniFile reads back. QSettings does not fit: it matches
// names by case (a "Servidor=" line would stay first and win) and rewrites the whole file.
class TIniFileWriter final
{
public:
    // Reads the file; an absent file starts empty.
    explicit TIniFileWriter(const QString &fileName);

    // Values are written as given; one holding a line break is cut at it.
    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);

    // Writes the lines back in one step, making the file's folder when missing. False (with a
    // warning in the log) when the file cannot be written; the old file is then left whole.
    bool UpdateFile() const;

private:
    qsizetype FindKey(const QString &section, const QString &key) const;
    qsizetype InsertionPoint(const QString &section) const;
    static QString SectionOf(const QString &line, bool *isHeader);
    static QString KeyOf(const QString &line);

    QString FFileName;
    QStringList FLines; // without their line ends
    QString FLineEnd = QStringLiteral("\n");
    bool FByteOrderMark = false;
};
