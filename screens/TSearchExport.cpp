#include "screens/TSearchExport.h"

#include "gui/TMessageBox.h"
#include "rest/TApiPaths.h"
#include "rest/THttpVerbs.h"
#include "screens/ScreensLog.h"

#include <QProgressDialog>
#include <QWidget>

TSearchExport::TSearchExport(QWidget *window, QString resource, QString query, QList<TCsvWriter::TColumn> columns,
                             const QString &fileName)
    : QObject(window),
      FWindow(window),
      FResource(std::move(resource)),
      FQuery(std::move(query)),
      FFileName(fileName),
      FWriter(fileName, std::move(columns))
{
}

TSearchExport::~TSearchExport()
{
    delete FProgress;
}

bool TSearchExport::Start()
{
    if (!FWriter.Open()) {
        Fail(QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(FFileName, FWriter.ErrorString()));
        return false;
    }
    FProgress = new QProgressDialog(QStringLiteral("Exportando..."), QStringLiteral("Cancelar"), 0, 0, FWindow);
    FProgress->setObjectName(QStringLiteral("progressoExportacao"));
    FProgress->setWindowTitle(QStringLiteral("Exportar"));
    FProgress->setWindowModality(Qt::WindowModal);
    FProgress->setMinimumDuration(500);
    FProgress->setAutoReset(false);
    FProgress->setAutoClose(false);
    connect(FProgress, &QProgressDialog::canceled, this, &TSearchExport::Cancel);
    RequestPage(0);
    return true;
}

void TSearchExport::RequestPage(int page)
{
    // The export is the request's context: once it is gone (cancelled, window closed) no answer
    // reaches it.
    THttpVerbs::Get(TApiPaths::Page(FResource, page, FQuery), this,
        [this, page](const TRestResult &answer) { ShowErrorsOf([&] { PageArrived(page, answer); }); });
}

void TSearchExport::PageArrived(int page, const TRestResult &answer)
{
    if (FEnded)
        return;
    const TJson *body = answer.Object();
    if (!answer.Is(200) || !body) {
        Fail(answer.Answered() ? QStringLiteral("Não foi possível exportar: o servidor respondeu %1.").arg(answer.Status)
                               : QStringLiteral("Não foi possível exportar: %1").arg(answer.Error));
        return;
    }
    const auto content = body->find("content");
    const auto pages = body->find("totalPages");
    const bool hasRows = content != body->end() && content->is_array() && !content->empty();
    if (hasRows && !FWriter.AppendRecords(*content)) {
        Fail(QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(FFileName, FWriter.ErrorString()));
        return;
    }
    FRecords += hasRows ? int(content->size()) : 0;
    const int total = pages != body->end() && pages->is_number_integer() ? pages->get<int>() : 0;
    // An empty page ends the export even when the server counts more pages.
    if (hasRows && page + 1 < total) {
        FProgress->setMaximum(total);
        FProgress->setValue(page + 1);
        FProgress->setLabelText(QStringLiteral("Exportando página %1 de %2...").arg(page + 2).arg(total));
        RequestPage(page + 1);
        return;
    }
    if (!FWriter.Commit()) {
        Fail(QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(FFileName, FWriter.ErrorString()));
        return;
    }
    End();
    emit exported(FRecords);
}

void TSearchExport::Fail(const QString &why)
{
    qCWarning(lcScreens) << "the export of" << FResource << "to" << FFileName << "failed:" << why;
    End();
    ShowMessageBox(why, TMessageKind::Error);
}

void TSearchExport::Cancel()
{
    qCInfo(lcScreens) << "the export of" << FResource << "to" << FFileName << "was cancelled";
    End();
}

void TSearchExport::End()
{
    FEnded = true;
    if (FProgress)
        FProgress->hide();
    deleteLater(); // an uncommitted writer drops its temporary file
}
