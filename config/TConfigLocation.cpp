#include "config/TConfigLocation.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

TConfigLocation::TConfigLocation(const QStringList &arguments, const QString &executableDir)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Cliente de cadastros para servidores REST com JSON."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption config(QStringLiteral("config"),
        QStringLiteral("Lê a configuração de <arquivo> em vez de config.ini."), QStringLiteral("arquivo"));
    parser.addOption(config);
    const QCommandLineOption resetLayout(QStringLiteral("reset-layout"),
        QStringLiteral("Esquece o tamanho e a disposição das janelas guardados."));
    parser.addOption(resetLayout);
    if (!parser.parse(arguments)) {
        FError = parser.errorText();
        return;
    }
    // parse() leaves the help options to the caller; --help-all has nothing more to say here.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        FHelpRequested = true;
        FHelpText = parser.helpText();
        return;
    }
    FResetLayout = parser.isSet(resetLayout);
    if (parser.isSet(config)) {
        const QString named = parser.value(config);
        if (QFileInfo(named).isFile())
            FFile = QFileInfo(named).absoluteFilePath();
        else
            FError = QStringLiteral("O arquivo de configuração \"%1\" não foi encontrado.").arg(named);
        return;
    }
    FFile = Find(executableDir);
}

QString TConfigLocation::Find(const QString &executableDir)
{
    const QString beside = QDir(executableDir).filePath(QStringLiteral("config.ini"));
    return QFileInfo::exists(beside) ? beside : UserFile();
}

QString TConfigLocation::UserFile()
{
    // GenericConfigLocation is $XDG_CONFIG_HOME (or ~/.config) itself; AppConfigLocation would add
    // the organisation and application names ("QuorelApi"), not the folder "quorelapi".
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(base).filePath(QStringLiteral("quorelapi/config.ini"));
}
