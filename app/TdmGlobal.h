#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class THttpClient;

// The application-wide module created before the main window: it reads the configuration file
// (see TConfigLocation for which one) into SystemConfig and owns the shared icons and the
// formatting service's client.
class TdmGlobal final : public QObject
{
    Q_OBJECT
public:
    // Indexes into Images.
    enum TImageIndex : int { imgSave, imgCancel, imgNew, imgEdit, imgDelete, imgSearch, imgSelect, imgDebug };

    // Runs DataModuleCreate with DefaultConfigFile.
    explicit TdmGlobal(QObject *parent = nullptr);
    // Same, with an explicit configuration file (tests).
    TdmGlobal(const QString &configFile, QObject *parent);
    ~TdmGlobal() override;

    // Creates SystemConfig (once per process) and fills it, and the formatter address, from the file.
    void DataModuleCreate(const QString &configFile);

    QList<QIcon> Images;
    // Synchronous client of the formatting service: 60 s time-outs, cookies kept, redirects followed.
    THttpClient &Client() const { return *FClient; }
    // Base address of the formatting service; empty formats locally.
    QString FormatterAddress;

    // Pretty-prints JSON text for the debug pane (may raise EHttpClientError).
    QString FormatJson(const QString &json) const;

    // The file read when the command line names none: config.ini beside the running executable
    // (whatever the working folder), else the user's own file.
    static QString DefaultConfigFile();

private:
    std::unique_ptr<THttpClient> FClient;
};

extern TdmGlobal *dmGlobal;
