#include "screens/TfrmPesquisaPadrao.h"

#include "convert/TRecordTable.h"
#include "convert/TRecordTableModel.h"
#include "widgets/TLXSearchEdit.h"

TfrmPesquisaPadrao::TfrmPesquisaPadrao(QWidget *parent) : QDialog(parent), FKeyFields{QStringLiteral("id")}
{
    FcdsPesquisa = new TRecordTable(this);
    FcdsPesquisa->setObjectName(QStringLiteral("cdsPesquisa"));
}

TfrmPesquisaPadrao::~TfrmPesquisaPadrao() = default;

void TfrmPesquisaPadrao::SetPath(const QString &value) { FPath = value; }
void TfrmPesquisaPadrao::SetKeyFields(const QStringList &value) { FKeyFields = value; }
QString TfrmPesquisaPadrao::KeyFieldsText() const { return FKeyFields.join(QLatin1Char('\n')); }
void TfrmPesquisaPadrao::SetKeyFields(const QString &text) { FKeyFields = text.split(QLatin1Char('\n')); }
void TfrmPesquisaPadrao::SetPagina(int value) { FPagina = value; }
int TfrmPesquisaPadrao::ShowModal() { return exec() == QDialog::Accepted ? mrOk : mrCancel; }
QString TfrmPesquisaPadrao::SelectedKey() const { return {}; }
void TfrmPesquisaPadrao::AddFilter(const TJson &) {}
void TfrmPesquisaPadrao::LoadPage(int) {}
void TfrmPesquisaPadrao::FilterLookupClick(TLXSearchEdit *) {}
QString TfrmPesquisaPadrao::FilterQuery() const { return {}; }
void TfrmPesquisaPadrao::LoadFilters() {}
void TfrmPesquisaPadrao::LoadFields() {}
void TfrmPesquisaPadrao::resizeEvent(QResizeEvent *event) { QDialog::resizeEvent(event); }
