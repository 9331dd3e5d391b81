#include "app/TdmGlobal.h"

#include "config/TConfigLocation.h"
#include "config/TIniFile.h"
#include "config/TSystemConfig.h"
#include "gui/TIcons.h"
#include "rest/FormatJson.h"
#include "rest/THttpClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

TdmGlobal *dmGlobal = nullptr;

namespace {

// The shared icons in the order of TImageIndex.
QList<QIcon> LoadImages()
{
    QList<QIcon> images;
    for (const TIcon icon : {TIcon::Save, TIcon::Cancel, TIcon::New, TIcon::Edit, TIcon::Delete, TIcon::Search,
                             TIcon::Select, TIcon::Debug})
        images.append(TIcons::Of(icon));
    return images;
}

} // namespace

TdmGlobal::TdmGlobal(QObject *parent) : TdmGlobal(DefaultConfigFile(), parent) {}

TdmGlobal::TdmGlobal(const QString &configFile, QObject *parent)
    : QObject(parent), FClient(std::make_unique<THttpClient>())
{
    setObjectName(QStringLiteral("dmGlobal"));
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
    return TConfigLocation::Find(QCoreApplication::applicationDirPath());
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
    // The environment's token wins, so a token need not be written into a file.
    const QString environmentToken = qEnvironmentVariable("QUORELAPI_TOKEN");
    SystemConfig->Token = environmentToken.isEmpty() ? ini.ReadString(section, QStringLiteral("token"), QString())
                                                     : environmentToken;
    // A relative path names a file beside the configuration.
    const QString caFile = ini.ReadString(section, QStringLiteral("cafile"), QString());
    SystemConfig->CaFile = caFile.isEmpty() ? caFile : QFileInfo(configFile).dir().absoluteFilePath(caFile);
}

QString TdmGlobal::FormatJson(const QString &json) const
{
    return ::FormatJson(json, *FClient, FormatterAddress);
}
