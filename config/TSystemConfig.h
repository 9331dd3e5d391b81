#pragma once

#include <QString>

// The server every request goes to and how the program signs in and trusts it. One instance per
// process (SystemConfig), written at start-up only (from the configuration file, then from the
// address dialog while the menu has not come), while no request runs, and only read afterwards,
// so workers read it without locks.
class TSystemConfig final
{
public:
    int Port = 8080;
    QString Server = QStringLiteral("http://localhost");
    QString Token;  // a Bearer token every request to the server carries; empty: none
    QString CaFile; // a further certificate authority (PEM file) trusted for the server; empty: none

    // Server + ":" + Port + "/" + Path, with Path appended exactly as given (it may carry a query).
    QString getPath(const QString &Path) const;
};

// Created by TdmGlobal::DataModuleCreate and never freed; null before that.
extern TSystemConfig *SystemConfig;
