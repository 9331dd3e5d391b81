#pragma once

#include <QByteArray>
#include <QString>

class QSplitter;

// How the user arranged the program's windows, kept between runs in layout.ini in the user's
// configuration folder (beside the user's config.ini, never beside the executable, never in a
// config.ini). Values are the toolkit's own saved states (saveGeometry, saveState). A missing or
// damaged file reads as nothing kept, so every window falls back to its own layout. Owns nothing
// between calls: each reads or writes the file through QSettings.
class TLayoutSettings final
{
public:
    TLayoutSettings() = delete;

    static QString FileName();
    // What was kept under key, or empty.
    static QByteArray Read(const QString &key);
    static void Write(const QString &key, const QByteArray &value);
    // Puts a splitter's handles where the user last left them under key; nothing kept, or a
    // state that does not fit, leaves them as they are.
    static void RestoreSplitter(QSplitter *splitter, const QString &key);
    // Keeps a splitter's sizes under key each time the user drags one of its handles.
    static void KeepSplitter(QSplitter *splitter, const QString &key);
    // Forgets every arrangement (the command line's --reset-layout).
    static void Forget();
};
