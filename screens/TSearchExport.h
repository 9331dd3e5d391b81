#pragma once

#include "convert/TCsvWriter.h"
#include "rest/TRestResult.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// One export of what a search finds to a CSV file: asks for the result's pages one after another,
// appends their records, and shows a progress dialog whose "Cancelar" stops it. The file appears
// only when every page arrived and was written; a failure or a cancel leaves nothing behind. A
// child of the window it exports from (closing the window ends it too); deletes itself when done.
// Owns the writer and the progress dialog.
class TSearchExport final : public QObject
{
    Q_OBJECT

public:
    // resource and query as the window asks for its pages ("clientes", "&nome=Ana&sort=nome,asc").
    TSearchExport(QWidget *window, QString resource, QString query, QList<TCsvWriter::TColumn> columns,
                  const QString &fileName);
    ~TSearchExport() override;

    // Starts with the first page; false (after telling the user why) when the file cannot be made.
    bool Start();

signals:
    // The file is in place with that many records.
    void exported(int records);

private:
    void RequestPage(int page);
    void PageArrived(int page, const TRestResult &answer);
    void Fail(const QString &why);
    void Cancel();
    void End();

    QWidget *FWindow;
    QString FResource;
    QString FQuery;
    QString FFileName;
    TCsvWriter FWriter;
    QPointer<QProgressDialog> FProgress; // a child of the window, which may go first
    int FRecords = 0;
    bool FEnded = false; // answers arriving after a cancel or a failure are dropped
};
