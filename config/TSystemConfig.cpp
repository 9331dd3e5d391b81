#include "config/TSystemConfig.h"

TSystemConfig *SystemConfig = nullptr;

QString TSystemConfig::getPath(const QString &Path) const
{
    return Server + QLatin1Char(':') + QString::number(Port) + QLatin1Char('/') + Path;
}
