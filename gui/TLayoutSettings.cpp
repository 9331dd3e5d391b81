#include "gui/TLayoutSettings.h"

#include "config/TConfigLocation.h"
#include "gui/GuiLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSplitter>

QString TLayoutSettings::FileName()
{
    return QFileInfo(TConfigLocation::UserFile()).dir().filePath(QStringLiteral("layout.ini"));
}

QByteArray TLayoutSettings::Read(const QString &key)
{
    const QSettings settings(FileName(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        qCWarning(lcGui) << "the window layout in" << FileName() << "is unreadable; the windows keep their own";
        return {};
    }
    const QVariant value = settings.value(key);
    return value.canConvert<QByteArray>() ? value.toByteArray() : QByteArray();
}

void TLayoutSettings::Write(const QString &key, const QByteArray &value)
{
    QSettings settings(FileName(), QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qCWarning(lcGui) << "the window layout could not be kept in" << FileName();
}

void TLayoutSettings::RestoreSplitter(QSplitter *splitter, const QString &key)
{
    const QByteArray kept = Read(key);
    if (!kept.isEmpty() && !splitter->restoreState(kept))
        qCWarning(lcGui) << "the kept sizes of" << key << "do not apply";
}

void TLayoutSettings::KeepSplitter(QSplitter *splitter, const QString &key)
{
    // Only a drag by the user moves a splitter's handle with this signal.
    QObject::connect(splitter, &QSplitter::splitterMoved, splitter,
                     [splitter, key] { Write(key, splitter->saveState()); });
}

void TLayoutSettings::Forget()
{
    if (QFile::exists(FileName()) && !QFile::remove(FileName()))
        qCWarning(lcGui) << "the window layout in" << FileName() << "could not be forgotten";
}
