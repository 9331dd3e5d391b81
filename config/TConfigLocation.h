#pragma once

#include <QString>
#include <QStringList>

// Which config.ini the program reads, chosen once from its command line: the file --config names;
// else config.ini in the executable's folder when there is one; else the user's own file (which
// may be absent: the defaults then apply). Also reads the command line's --reset-layout. Owns the outcome of that choice and the texts for a
// command line that cannot be followed.
class TConfigLocation final
{
public:
    // arguments as the program got them (the first is the program); executableDir is the folder
    // looked in for config.ini beside the executable.
    TConfigLocation(const QStringList &arguments, const QString &executableDir);

    // The file to read; empty when Error is not.
    QString File() const { return FFile; }
    // Why the program cannot start with this command line (Portuguese), or empty.
    QString Error() const { return FError; }
    // --help was asked for: HelpText is all the program shows.
    bool HelpRequested() const { return FHelpRequested; }
    // --reset-layout: the windows start with their own layout, forgetting the user's.
    bool ResetLayout() const { return FResetLayout; }
    QString HelpText() const { return FHelpText; }

    // $XDG_CONFIG_HOME/quorelapi/config.ini (~/.config/quorelapi/config.ini without it): the one
    // file the program writes.
    static QString UserFile();
    // The file read without --config: config.ini in executableDir when it exists, else UserFile.
    static QString Find(const QString &executableDir);

private:
    QString FFile;
    QString FError;
    bool FHelpRequested = false;
    bool FResetLayout = false;
    QString FHelpText;
};
