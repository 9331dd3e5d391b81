#pragma once

#include "rest/JsonUtils.h"
#include "rest/TLatestRequest.h"
#include "widgets/TLXDataGrid.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class TLXColumnPanel;
class TLXSearchEdit;
class TRecordTable;
class TRecordTableModel;
struct TRestResult;

// The modal search window of any resource: fetches its filters and result columns from the
// server, shows pages of ten rows and closes with OK (1) handing back the chosen row's key, or
// with Cancel (2). Unlike a plain QDialog it builds its filter inputs and columns at run time.
// A click on a column title orders the pages by that column on the server (ascending, descending,
// then unordered again). It is used from the keyboard: the first filter has the focus, the filters
// come first in the tab order, Enter in a filter searches and Enter on a row selects it. A search
// that fails empties the result instead of leaving rows that did not match. Owns its controls and
// the result table cdsPesquisa through Qt parents, and the order asked.
class TfrmPesquisaPadrao : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmPesquisaPadrao)

public:
    enum : int { mrOk = 1, mrCancel = 2 };

    explicit TfrmPesquisaPadrao(QWidget *parent = nullptr);
    ~TfrmPesquisaPadrao() override;

    // Writing the path starts the filter and column requests at once.
    QString Path() const { return FPath; }
    void SetPath(const QString &value);
    // Key value of the row chosen by "Selecionar"; empty until then.
    QString Selected() const { return FSelected; }
    // Names of the key fields of the result ("id" at first); replace them right after SetPath.
    QStringList KeyFields() const { return FKeyFields; }
    void SetKeyFields(const QStringList &value);
    // The same list as text, one name per line.
    QString KeyFieldsText() const;
    void SetKeyFields(const QString &text);
    // Index of the page shown, from 0; writing it updates the page label and the page box.
    int Pagina() const { return FPagina; }
    void SetPagina(int value);
    int Paginas() const { return FPaginas; }

    // The result table; its current row is the chosen one after OK.
    TRecordTable *cdsPesquisa() const { return FcdsPesquisa; }
    // Shows the window modally: mrOk or mrCancel.
    int ShowModal();

    // Writes every record the current filters find, in the current order, to a CSV file (see
    // TSearchExport); "Exportar" asks for the file and calls this.
    void Export(const QString &fileName);

    // The current row's value of the first key field, or empty.
    QString SelectedKey() const;
    void AddFilter(const TJson &descriptor);
    void LoadPage(int page);

    virtual QString FilterQuery() const;
    // "&sort=<column>,asc" or ",desc" while the pages are ordered by a column; empty otherwise.
    QString SortQuery() const;
    virtual void LoadFilters();
    virtual void LoadFields();

    // Closes as QDialog does, keeping the window's size and its column widths for its resource.
    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    enum class TAnswerKind { Array, Object };

    void BuildLayout();
    // Connects a button to a handler whose errors are shown.
    void ConnectClick(QPushButton *button, void (TfrmPesquisaPadrao::*handler)());
    // GETs path; a 200 answer of the expected kind goes to use, any other to failed, and a newer
    // request made through latest drops this one's answer.
    void Request(const QString &path, TLatestRequest &latest, TAnswerKind kind,
        void (TfrmPesquisaPadrao::*failed)(const TRestResult &), void (TfrmPesquisaPadrao::*use)(const TJson &));
    QWidget *BuildPagingBar();
    QWidget *BuildButtonBar();
    void BuildFilters(const TJson &descriptors);
    // Filters first in the tab order, then the grid, paging and buttons; the first filter focused.
    void PutFiltersFirst();
    void AddRowSelectKey();
    void BuildColumns(const TJson &descriptors);
    void ShowPage(const TJson &page);
    void AfterBuild();
    // The key under which this resource's search keeps part of its layout.
    QString LayoutKey(const QString &part) const;
    // Tells a 404 or no answer at all (the client's text: which server could not be reached); other
    // failures show nothing.
    void ShowFailure(const TRestResult &answer);
    // ShowFailure for the window's set-up requests, shown at most once per window.
    void SetUpFailed(const TRestResult &answer);
    // A search that failed empties the result; a 400 shows every message for the user it carries.
    void PageFailed(const TRestResult &answer);
    void EmptyResult();
    // The number in the page box; false (after reporting why) when it holds none.
    bool ReadTypedPage(int &number);
    // Loads target(n, FPagina, FPaginas) when allowed(n, FPaginas) holds for the typed number n.
    void MovePage(bool (*allowed)(int n, int paginas), int (*target)(int n, int pagina, int paginas));

    // Ascending on a new column, then descending, then unordered; reloads the first page when a
    // page is shown.
    void ColumnTitleClick(int section);
    void ShowSortIndicator();

    void btPesquisarClick();
    void btSelecionarClick();
    void btExportarClick();
    void gridPesquisaDblClick();
    // The paging buttons "<<", "<", ">" and ">>" (object names Button2, Button1, Button4, Button3).
    void btPrimeiraPaginaClick();
    void btPaginaAnteriorClick();
    void btProximaPaginaClick();
    void btUltimaPaginaClick();
    void edtPaginaKeyDown();
    void FormResize();

    QWidget *panelFiltersOwner = nullptr;
    TLXColumnPanel *panelFiltros = nullptr;
    TLXDataGrid *gridPesquisa = nullptr;
    TRecordTableModel *dsResultados = nullptr;
    TRecordTable *FcdsPesquisa = nullptr;
    QPushButton *btPrimeiraPagina = nullptr;
    QPushButton *btPaginaAnterior = nullptr;
    QPushButton *btProximaPagina = nullptr;
    QPushButton *btUltimaPagina = nullptr;
    QLineEdit *edtPagina = nullptr;
    QLabel *lblPagina = nullptr;
    QPushButton *btPesquisar = nullptr;
    QPushButton *btSelecionar = nullptr;
    QPushButton *btExportar = nullptr;
    QPushButton *btCancelar = nullptr;

    QString FPath;
    QString FSelected;
    QStringList FKeyFields;
    int FPagina = 0;
    bool FSetUpFailureShown = false;
    int FPaginas = 0;
    struct TSort
    {
        QString Column;
        Qt::SortOrder Order = Qt::AscendingOrder;
    };
    std::optional<TSort> FSort;
    bool FPageShown = false;
    TLatestRequest FFiltersRequest;
    TLatestRequest FColumnsRequest;
    TLatestRequest FPageRequest;
};
