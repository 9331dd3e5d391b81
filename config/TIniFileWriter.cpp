#include "config/TIniFileWriter.h"

#include "config/ConfigLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

bool SameName(const QString &a, const QString &b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

TIniFileWriter::TIniFileWriter(const QString &fileName) : FFileName(fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (file.exists())
            qCWarning(lcConfig) << fileName << "cannot be read, it would be replaced:" << file.errorString();
        return;
    }
    const QByteArray bytes = file.readAll();
    FByteOrderMark = bytes.startsWith("\xEF\xBB\xBF"); // fromUtf8 drops it
    QString content = QString::fromUtf8(bytes);
    if (content.contains(QLatin1String("\r\n")))
        FLineEnd = QStringLiteral("\r\n");
    content.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (content.endsWith(QLatin1Char('\n')))
        content.chop(1);
    if (!content.isEmpty())
        FLines = content.split(QLatin1Char('\n'));
}

// The section a header line opens; isHeader tells whether the line is one.
QString TIniFileWriter::SectionOf(const QString &line, bool *isHeader)
{
    QString trimmed = line.trimmed();
    if (trimmed.startsWith(QChar(0xFEFF)))
        trimmed = trimmed.mid(1).trimmed();
    *isHeader = trimmed.startsWith(QLatin1Char('['));
    if (!*isHeader)
        return QString();
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return trimmed.mid(1, close < 0 ? -1 : close - 1);
}

// The key a line sets, or an empty text for comments, blank lines and lines without "=".
QString TIniFileWriter::KeyOf(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')))
        return QString();
    const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
    return eq <= 0 ? QString() : trimmed.left(eq).trimmed();
}

// The line TIniFile takes the key's value from (its first occurrence in any block of the
// section), or -1.
qsizetype TIniFileWriter::FindKey(const QString &section, const QString &key) const
{
    bool inSection = false;
    for (qsizetype i = 0; i < FLines.size(); ++i) {
        bool isHeader = false;
        const QString name = SectionOf(FLines.at(i), &isHeader);
        if (isHeader)
            inSection = SameName(name, section);
        else if (inSection && SameName(KeyOf(FLines.at(i)), key))
            return i;
    }
    return -1;
}

// Where a new key of the section goes: after the last key line of its first block, or -1 when
// the file has no such section.
qsizetype TIniFileWriter::InsertionPoint(const QString &section) const
{
    qsizetype point = -1;
    for (qsizetype i = 0; i < FLines.size(); ++i) {
        bool isHeader = false;
        const QString name = SectionOf(FLines.at(i), &isHeader);
        if (isHeader) {
            if (point >= 0)
                break;
            if (SameName(name, section))
                point = i + 1;
        } else if (point >= 0 && !KeyOf(FLines.at(i)).isEmpty()) {
            point = i + 1;
        }
    }
    return point;
}

void TIniFileWriter::WriteString(const QString &section, const QString &key, const QString &value)
{
    const QString line = key + QLatin1Char('=') + value.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0);
    const qsizetype existing = FindKey(section, key);
    if (existing >= 0) {
        FLines[existing] = line;
        return;
    }
    const qsizetype point = InsertionPoint(section);
    if (point >= 0) {
        FLines.insert(point, line);
        return;
    }
    if (!FLines.isEmpty() && !FLines.constLast().trimmed().isEmpty())
        FLines.append(QString());
    FLines.append(QLatin1Char('[') + section + QLatin1Char(']'));
    FLines.append(line);
}

void TIniFileWriter::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

bool TIniFileWriter::UpdateFile() const
{
    const QString folder = QFileInfo(FFileName).absolutePath();
    if (!QDir().mkpath(folder)) {
        qCWarning(lcConfig) << "the folder" << folder << "cannot be made; nothing written";
        return false;
    }
    QSaveFile file(FFileName);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcConfig) << FFileName << "cannot be written:" << file.errorString();
        return false;
    }
    file.write((FByteOrderMark ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray())
        + (FLines.join(FLineEnd) + FLineEnd).toUtf8());
    if (!file.commit()) {
        qCWarning(lcConfig) << FFileName << "cannot be written:" << file.errorString();
        return false;
    }
    return true;
}
