#pragma once

#include <QString>

// The back-end paths, relative to the server, formed from an entity's resource path.
class TApiPaths final
{
public:
    TApiPaths() = delete;

    static QString Menu();                                        // acesso/menus
    static QString Fields(const QString &resource);               // <resource>/campos
    static QString SearchColumns(const QString &resource);        // <resource>/campos/pesquisa
    static QString Filters(const QString &resource);              // <resource>/filtros
    static QString Record(const QString &resource, qint64 id);    // <resource>/<id>
    static QString Record(const QString &resource, const QString &id);
    static QString Page(const QString &resource, int page, const QString &query);  // ?size=10&page=N<query>
    static QString ComboOptions(const QString &resource, const QString &query);    // ?size=50&page=0<query>

    // "&name=value" with name and value percent-encoded (RFC 3986, UTF-8), so neither can add
    // parameters of its own or break the URL.
    static QString QueryParam(const QString &name, const QString &value);
};
