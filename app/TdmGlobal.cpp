#include "app/TdmGlobal.h"

#include "app/TIniFile.h"
#include "app/TSystemConfig.h"
#include "rest/FormatJson.h"
#include "rest/THttpClient.h"

#include <QCoreApplication>
#include <QDir>

TdmGlobal *dmGlobal = nullptr;

// Resources of a static library are registered by hand; the macro must stand outside namespaces.
static void InitResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

QList<QIcon> LoadImages()
{
    static const char *const names[] = {"save", "cancel", "new", "edit", "delete", "search", "select", "debug"};
    QList<QIcon> images;
    for (const char *name : names)
        images.append(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name))));
    return images;
}

} // namespace

TdmGlobal::TdmGlobal(QObject *parent) : TdmGlobal(DefaultConfigFile(), parent) {}

TdmGlobal::TdmGlobal(const QString &configFile, QObject *parent)
    : QObject(parent), FClient(std::make_unique<THttpClient>())
{
    setObjectName(QStringLiteral("dmGlobal"));
    InitResources();
    Images = LoadImages();
    FClient->ConnectTimeoutMs = 60000;
    FClient->ResponseTimeoutMs = 60000;
    FClient->KeepCookies = true;
    FClient->FollowRedirects = true;
    DataModuleCreate(configFile);
}

TdmGlobal::~TdmGlobal() = default;

QString TdmGlobal::DefaultConfigFile()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("config.ini"));
}

void TdmGlobal::DataModuleCreate(const QString &configFile)
{
    if (!SystemConfig)
        SystemConfig = new TSystemConfig; // lives until the process ends
    const TIniFile ini(configFile);
    const QString section = QStringLiteral("config");
    SystemConfig->Server = ini.ReadString(section, QStringLiteral("servidor"), QStringLiteral("http://localhost"));
    SystemConfig->Port = ini.ReadInteger(section, QStringLiteral("porta"), 8080);
    FormatterAddress = ini.ReadString(section, QStringLiteral("formatador"), QString());
}

QString TdmGlobal::FormatJson(const QString &json) const
{
    return ::FormatJson(json, *FClient, FormatterAddress);
}
