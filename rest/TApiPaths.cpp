#include "rest/TApiPaths.h"

#include <QUrl>

QString TApiPaths::Menu() { return QStringLiteral("acesso/menus"); }
QString TApiPaths::Fields(const QString &resource) { return resource + QStringLiteral("/campos"); }
QString TApiPaths::SearchColumns(const QString &resource) { return resource + QStringLiteral("/campos/pesquisa"); }
QString TApiPaths::Filters(const QString &resource) { return resource + QStringLiteral("/filtros"); }
QString TApiPaths::Record(const QString &resource, qint64 id) { return resource + QLatin1Char('/') + QString::number(id); }
QString TApiPaths::Record(const QString &resource, const QString &id) { return resource + QLatin1Char('/') + id; }

QString TApiPaths::Page(const QString &resource, int page, const QString &query)
{
    return QStringLiteral("%1?size=10&page=%2%3").arg(resource, QString::number(page), query);
}

QString TApiPaths::ComboOptions(const QString &resource, const QString &query)
{
    return resource + QStringLiteral("?size=50&page=0") + query;
}

QString TApiPaths::QueryParam(const QString &name, const QString &value)
{
    return QLatin1Char('&') + QString::fromLatin1(QUrl::toPercentEncoding(name)) + QLatin1Char('=')
         + QString::fromLatin1(QUrl::toPercentEncoding(value));
}
