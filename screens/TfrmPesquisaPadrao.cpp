#include "screens/TfrmPesquisaPadrao.h"

#include "gui/TFonts.h"
#include "gui/TIcons.h"
#include "convert/LoadTableFromArray.h"
#include "convert/TField.h"
#include "convert/TFieldDef.h"
#include "convert/TRecordTable.h"
#include "convert/TRecordTableCursorBinder.h"
#include "convert/TRecordTableModel.h"
#include "rest/TApiPaths.h"
#include "rest/THttpVerbs.h"
#include "gui/TMessageBox.h"
#include "screens/CollectFilterParams.h"
#include "screens/LookupSearch.h"
#include "screens/ScreensLog.h"
#include "gui/TLayoutSettings.h"
#include "screens/TSearchExport.h"
#include "fields/TLookupDescription.h"
#include "widgets/TLXColumnConfig.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TLXDataGrid.h"
#include "widgets/TLXSearchEdit.h"
#include "widgets/TLXSearchEditConfig.h"

#include <QAction>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

const QString kNoPath = QStringLiteral("Nenhuma url foi definada para essa pesquisa");
const QString kNoSelection = QStringLiteral("É necessário selecione um registro antes de continuar.");

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 27;
constexpr int kPageButtonWidth = 40;
constexpr int kPageBoxWidth = 56;
constexpr int kFiltersOwnerTop = 10;
constexpr int kFiltersOwnerBottom = 5;

// What a filter descriptor's "tipo" makes of its cell: spans per width class and the input rule.
struct TFilterKind
{
    int Small, Medium, Large, ExtraLarge;
    bool NumbersOnly;
};

TFilterKind FilterKindOf(const QString &tipo, bool lookup)
{
    static constexpr TFilterKind Text{24, 12, 8, 6, false};
    static constexpr TFilterKind Number{24, 6, 6, 4, true};
    // A lookup shows the chosen record's description, so it gets a text filter's width.
    return tipo == QLatin1String("String") || lookup ? Text : Number;
}

// The field type of a result column; unknown kinds are shown as text.
// Whole numbers and decimals are kept as numbers, so they show in the user's format.
TFieldType ColumnFieldType(const QString &tipo)
{
    const QString type = tipo.toLower();
    if (type == QLatin1String("long"))
        return ftInteger;
    if (type == QLatin1String("double") || type == QLatin1String("float"))
        return ftFloat;
    return ftString;
}

// Text columns keep the whole value the server sent: a grid must not show a name cut short.
int GridColumnSize(TFieldType type)
{
    return type == ftString ? TFieldDef::WholeText : TFieldDef::DefaultSize(type);
}

QPushButton *MakeButton(const QString &caption, const char *name, int width, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    // At least the design width, wider when the caption and its image need it.
    button->setMinimumWidth(width);
    button->setFixedHeight(kButtonHeight);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Enter in the page box must not press a button of the window.
    button->setAutoDefault(false);
    return button;
}

// One paging control: when it may move, given the typed number n, and to which page index.
struct TPageMove
{
    bool (*Allowed)(int n, int paginas);
    int (*Target)(int n, int pagina, int paginas);
};

const TPageMove kFirst{[](int n, int) { return n > 1; }, [](int, int, int) { return 0; }};
const TPageMove kPrior{[](int n, int) { return n > 1; }, [](int, int pagina, int) { return pagina - 1; }};
const TPageMove kNext{[](int n, int paginas) { return n < paginas; }, [](int, int pagina, int) { return pagina + 1; }};
const TPageMove kLast{[](int n, int paginas) { return n < paginas; }, [](int, int, int paginas) { return paginas - 1; }};
// Enter in the page box: a typed page from 1 to the last.
const TPageMove kTyped{[](int n, int paginas) { return n >= 1 && n <= paginas; }, [](int n, int, int) { return n - 1; }};

} // namespace

TfrmPesquisaPadrao::TfrmPesquisaPadrao(QWidget *parent)
    : QDialog(parent), FKeyFields{QStringLiteral("id")}
{
    setObjectName(QStringLiteral("frmPesquisaPadrao"));
    setWindowTitle(QStringLiteral("Pesquisa"));
    setFont(TFonts::Of(TFontFace::Window, 8));
    FcdsPesquisa = new TRecordTable(this);
    FcdsPesquisa->setObjectName(QStringLiteral("cdsPesquisa"));
    BuildLayout();
    resize(830, 468);
}

TfrmPesquisaPadrao::~TfrmPesquisaPadrao() = default;

void TfrmPesquisaPadrao::BuildLayout()
{
    panelFiltersOwner = new QWidget(this);
    panelFiltersOwner->setObjectName(QStringLiteral("panelFiltersOwner"));
    panelFiltersOwner->setFixedHeight(45);
    auto *filtersLayout = new QVBoxLayout(panelFiltersOwner);
    filtersLayout->setContentsMargins(5, kFiltersOwnerTop, 5, kFiltersOwnerBottom);
    panelFiltros = new TLXColumnPanel(panelFiltersOwner);
    panelFiltros->setObjectName(QStringLiteral("panelFiltros"));
    panelFiltros->setColumns(24);
    panelFiltros->setVerticalSpace(5);
    filtersLayout->addWidget(panelFiltros);
    panelFiltros->Loaded();
    // A layout pass moves the cells (the width class may change), so the area follows it.
    connect(panelFiltros, &TLXColumnPanel::layoutDone, this, [this] { FormResize(); });

    dsResultados = new TRecordTableModel(FcdsPesquisa, this);
    gridPesquisa = new TLXDataGrid(this);
    gridPesquisa->setObjectName(QStringLiteral("gridPesquisa"));
    gridPesquisa->setModel(dsResultados);
    new TRecordTableCursorBinder(gridPesquisa->selectionModel(), FcdsPesquisa, this);
    connect(gridPesquisa, &TLXDataGrid::gridDoubleClicked, this,
        [this] { ShowErrorsOf([this] { gridPesquisaDblClick(); }); });
    QHeaderView *titles = gridPesquisa->horizontalHeader();
    titles->setSectionsClickable(true);
    titles->setSortIndicatorShown(true);
    titles->setSortIndicator(-1, Qt::AscendingOrder);
    connect(titles, &QHeaderView::sectionClicked, this,
        [this](int section) { ShowErrorsOf([this, section] { ColumnTitleClick(section); }); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panelFiltersOwner);
    layout->addWidget(gridPesquisa, 1);
    layout->addWidget(BuildPagingBar());
    layout->addWidget(BuildButtonBar());
    AddRowSelectKey();
}

void TfrmPesquisaPadrao::AddRowSelectKey()
{
    // Enter on a row chooses it, as a double click does.
    auto *select = new QAction(gridPesquisa);
    select->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    select->setShortcutContext(Qt::WidgetShortcut);
    connect(select, &QAction::triggered, this, [this] { ShowErrorsOf([this] { gridPesquisaDblClick(); }); });
    gridPesquisa->addAction(select);
}

void TfrmPesquisaPadrao::PutFiltersFirst()
{
    // The filters arrive after the other controls exist, which would put them last in the tab order.
    const QList<QLineEdit *> filters = panelFiltros->findChildren<QLineEdit *>();
    QList<QWidget *> order(filters.cbegin(), filters.cend());
    order << gridPesquisa << btPrimeiraPagina << btPaginaAnterior << edtPagina << btProximaPagina << btUltimaPagina
          << btPesquisar << btExportar << btSelecionar << btCancelar;
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    // The window opens to be typed in: the first filter takes the focus unless a filter has it.
    QWidget *focused = focusWidget();
    if (!filters.isEmpty() && !(focused && panelFiltros->isAncestorOf(focused)))
        filters.first()->setFocus(Qt::OtherFocusReason);
}

QWidget *TfrmPesquisaPadrao::BuildPagingBar()
{
    auto *bar = new QWidget(this);
    bar->setFixedHeight(27);
    btPrimeiraPagina = MakeButton(QStringLiteral("<<"), "Button2", kPageButtonWidth, bar);
    btPaginaAnterior = MakeButton(QStringLiteral("<"), "Button1", kPageButtonWidth, bar);
    edtPagina = new QLineEdit(bar);
    edtPagina->setObjectName(QStringLiteral("edtPagina"));
    edtPagina->setFixedWidth(kPageBoxWidth);
    SetNumbersOnly(edtPagina);
    btProximaPagina = MakeButton(QStringLiteral(">"), "Button4", kPageButtonWidth, bar);
    btUltimaPagina = MakeButton(QStringLiteral(">>"), "Button3", kPageButtonWidth, bar);
    for (QPushButton *button : {btPrimeiraPagina, btPaginaAnterior, btProximaPagina, btUltimaPagina})
        button->setFixedWidth(kPageButtonWidth); // the arrows fit; the style's minimum would widen them
    lblPagina = new QLabel(QStringLiteral("Página 1/1"), bar);
    lblPagina->setObjectName(QStringLiteral("lblPagina"));

    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 10, 0);
    layout->setSpacing(0);
    for (QWidget *control : {static_cast<QWidget *>(btPrimeiraPagina), static_cast<QWidget *>(btPaginaAnterior),
                             static_cast<QWidget *>(edtPagina), static_cast<QWidget *>(btProximaPagina),
                             static_cast<QWidget *>(btUltimaPagina)})
        layout->addWidget(control);
    layout->addStretch(1);
    layout->addWidget(lblPagina, 0, Qt::AlignVCenter);

    ConnectClick(btPaginaAnterior, &TfrmPesquisaPadrao::btPaginaAnteriorClick);
    ConnectClick(btPrimeiraPagina, &TfrmPesquisaPadrao::btPrimeiraPaginaClick);
    ConnectClick(btUltimaPagina, &TfrmPesquisaPadrao::btUltimaPaginaClick);
    ConnectClick(btProximaPagina, &TfrmPesquisaPadrao::btProximaPaginaClick);
    connect(edtPagina, &QLineEdit::returnPressed, this, [this] { ShowErrorsOf([this] { edtPaginaKeyDown(); }); });
    return bar;
}

void TfrmPesquisaPadrao::ConnectClick(QPushButton *button, void (TfrmPesquisaPadrao::*handler)())
{
    connect(button, &QPushButton::clicked, this,
        [this, handler] { ShowErrorsOf([this, handler] { (this->*handler)(); }); });
}

QWidget *TfrmPesquisaPadrao::BuildButtonBar()
{
    auto *bar = new QWidget(this);
    bar->setFixedHeight(41);
    btPesquisar = MakeButton(QStringLiteral("Pesquisar"), "btPesquisar", kButtonWidth, bar);
    btPesquisar->setIcon(TIcons::Of(TIcon::Search));
    btExportar = MakeButton(QStringLiteral("Exportar"), "btExportar", kButtonWidth, bar);
    btExportar->setToolTip(QStringLiteral("Grava tudo o que a pesquisa encontra num arquivo CSV"));
    btSelecionar = MakeButton(QStringLiteral("Selecionar"), "btSelecionar", kButtonWidth, bar);
    btSelecionar->setIcon(TIcons::Of(TIcon::Select));
    btCancelar = MakeButton(QStringLiteral("Cancelar"), "btCancelar", kButtonWidth, bar);
    btCancelar->setIcon(TIcons::Of(TIcon::Cancel));

    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(0);
    layout->addWidget(btPesquisar);
    layout->addSpacing(10);
    layout->addWidget(btExportar);
    layout->addStretch(1);
    layout->addWidget(btSelecionar);
    layout->addSpacing(10);
    layout->addWidget(btCancelar);

    ConnectClick(btPesquisar, &TfrmPesquisaPadrao::btPesquisarClick);
    ConnectClick(btSelecionar, &TfrmPesquisaPadrao::btSelecionarClick);
    ConnectClick(btExportar, &TfrmPesquisaPadrao::btExportarClick);
    connect(btCancelar, &QPushButton::clicked, this, &QDialog::reject);
    return bar;
}

void TfrmPesquisaPadrao::SetPath(const QString &value)
{
    FPath = value;
    const QByteArray geometry = TLayoutSettings::Read(LayoutKey(QStringLiteral("geometria")));
    if (!geometry.isEmpty() && !restoreGeometry(geometry))
        qCWarning(lcScreens) << "the kept size of the search of" << FPath << "does not apply";
    FSetUpFailureShown = false;
    LoadFilters();
    LoadFields();
}

void TfrmPesquisaPadrao::SetKeyFields(const QStringList &value)
{
    FKeyFields = value;
}

QString TfrmPesquisaPadrao::KeyFieldsText() const
{
    return FKeyFields.join(QLatin1Char('\n'));
}

void TfrmPesquisaPadrao::SetKeyFields(const QString &text)
{
    SetKeyFields(text.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
}

void TfrmPesquisaPadrao::SetPagina(int value)
{
    FPagina = value;
    lblPagina->setText(QStringLiteral("Página %1/%2").arg(value + 1).arg(FPaginas));
    edtPagina->setText(QString::number(value + 1));
}

int TfrmPesquisaPadrao::ShowModal()
{
    return exec() == QDialog::Accepted ? mrOk : mrCancel;
}

void TfrmPesquisaPadrao::LoadFilters()
{
    Request(TApiPaths::Filters(FPath), FFiltersRequest, TAnswerKind::Array, &TfrmPesquisaPadrao::SetUpFailed,
        &TfrmPesquisaPadrao::BuildFilters);
}

void TfrmPesquisaPadrao::LoadFields()
{
    Request(TApiPaths::SearchColumns(FPath), FColumnsRequest, TAnswerKind::Array, &TfrmPesquisaPadrao::SetUpFailed,
        &TfrmPesquisaPadrao::BuildColumns);
}

void TfrmPesquisaPadrao::LoadPage(int page)
{
    // A page before the first does not exist: nothing to ask for.
    if (page < 0)
        return;
    Request(TApiPaths::Page(FPath, page, FilterQuery() + SortQuery()), FPageRequest, TAnswerKind::Object,
        &TfrmPesquisaPadrao::PageFailed, &TfrmPesquisaPadrao::ShowPage);
}

void TfrmPesquisaPadrao::Request(const QString &path, TLatestRequest &latest, TAnswerKind kind,
    void (TfrmPesquisaPadrao::*failed)(const TRestResult &), void (TfrmPesquisaPadrao::*use)(const TJson &))
{
    THttpVerbs::Get(path, this, latest.Replace([this, kind, failed, use](const TRestResult &answer) {
        ShowErrorsOf([&] {
            const TJson *json = kind == TAnswerKind::Array ? answer.Array() : answer.Object();
            if (answer.Is(200) && json)
                (this->*use)(*json);
            else
                (this->*failed)(answer);
        });
    }));
}

void TfrmPesquisaPadrao::ShowFailure(const TRestResult &answer)
{
    if (answer.Is(404))
        TMessageBox::Show(TRestResult::NotFoundText, TMessageKind::Error, QString());
    else if (!answer.Answered())
        ShowMessageBox(answer.Error, TMessageKind::Error);
}

void TfrmPesquisaPadrao::SetUpFailed(const TRestResult &answer)
{
    // Filters and columns failing together are one fault (a resource missing, a server down):
    // one notice, not two.
    if (FSetUpFailureShown || !(answer.Is(404) || !answer.Answered()))
        return;
    FSetUpFailureShown = true;
    ShowFailure(answer);
}

void TfrmPesquisaPadrao::PageFailed(const TRestResult &answer)
{
    // The rows of an earlier search would pass for this one's result.
    EmptyResult();
    const QStringList messages = answer.Is(400) ? answer.UserMessages() : QStringList();
    if (!messages.isEmpty())
        ShowMessageBox(messages.join(QLatin1Char('\n')), TMessageKind::Error);
    else
        ShowFailure(answer);
}

void TfrmPesquisaPadrao::EmptyResult()
{
    if (FcdsPesquisa->Active())
        FcdsPesquisa->EmptyDataSet();
    FPaginas = 0;
    SetPagina(0);
}

void TfrmPesquisaPadrao::BuildFilters(const TJson &descriptors)
{
    // A descriptor lacking a required key stops the build there; the filters before it stay.
    try {
        for (const TJson &descriptor : descriptors)
            AddFilter(descriptor);
    } catch (const std::exception &error) {
        qCWarning(lcScreens) << "the filters of" << FPath << "stopped:" << error.what();
    }
    PutFiltersFirst();
    AfterBuild();
}

void TfrmPesquisaPadrao::AddFilter(const TJson &descriptor)
{
    // Every key is read before anything is built, so a bad descriptor leaves no half cell.
    const QString tipo = GetValueText(descriptor, QStringLiteral("tipo"));
    const QString label = GetValueText(descriptor, QStringLiteral("label"));
    const QString nome = GetValueText(descriptor, QStringLiteral("nome"));
    const bool lookup = Contains(descriptor, std::string_view("resource"));
    QString resource, keyField, displayField;
    if (lookup) {
        resource = GetValueText(descriptor, QStringLiteral("resource"));
        keyField = GetValueText(descriptor, QStringLiteral("id"));
        displayField = GetValueText(descriptor, QStringLiteral("displayField"));
    }

    const TFilterKind kind = FilterKindOf(tipo, lookup);
    auto *cell = new TLXColumnPanel(panelFiltros);
    cell->Config()->setSmall(kind.Small);
    cell->Config()->setMedium(kind.Medium);
    cell->Config()->setLarge(kind.Large);
    cell->Config()->setExtraLarge(kind.ExtraLarge);
    auto *cellLayout = new QHBoxLayout(cell);
    cellLayout->setContentsMargins(0, 0, 0, 0);
    cellLayout->addWidget(new QLabel(label + QLatin1Char(':'), cell));

    QLineEdit *input = nullptr;
    if (lookup) {
        auto *edit = new TLXSearchEdit(cell);
        edit->Config()->setKeyField(keyField);
        edit->Config()->setDisplayField(displayField);
        edit->Config()->setResource(resource);
        edit->setButtonIcon(TIcons::Of(TIcon::Search));
        ConnectLookupButton(edit);
        TLookupDescription::Follow(edit); // a typed key shows its own description, not the last one's
        input = edit;
    } else {
        input = new QLineEdit(cell);
        if (kind.NumbersOnly)
            SetNumbersOnly(input);
    }
    input->setObjectName(nome);
    input->clear();
    connect(input, &QLineEdit::returnPressed, this, [this] { ShowErrorsOf([this] { btPesquisarClick(); }); });
    cellLayout->addWidget(input, 1);
    cell->show();
}

void TfrmPesquisaPadrao::BuildColumns(const TJson &descriptors)
{
    struct TColumn
    {
        QString Name;
        TFieldType Type;
        QString Title;
    };
    std::vector<TColumn> columns;
    try {
        for (const TJson &descriptor : descriptors)
            columns.push_back({GetValueText(descriptor, QStringLiteral("nome")),
                               ColumnFieldType(GetValueText(descriptor, QStringLiteral("tipo"))),
                               GetValueText(descriptor, QStringLiteral("label"))});
    } catch (const std::exception &error) {
        // A column without its required keys: the table stays as it was.
        qCWarning(lcScreens) << "the columns of" << FPath << "are unreadable:" << error.what();
        return;
    }

    FSort.reset(); // the order asked was by a column of the columns replaced
    ShowSortIndicator();
    try {
        TFieldDefs &defs = FcdsPesquisa->FieldDefs();
        defs.Clear();
        for (const TColumn &column : columns)
            defs.Add(column.Name, column.Type, GridColumnSize(column.Type));
        FcdsPesquisa->CreateDataSet();
        for (const QString &key : std::as_const(FKeyFields))
            if (TField *field = FcdsPesquisa->FindField(key))
                field->SetProviderFlags(pfInKey);
        for (int i = 0; i < FcdsPesquisa->FieldCount(); ++i)
            FcdsPesquisa->Fields(i)->SetDisplayLabel(columns[size_t(i)].Title);
        gridPesquisa->SetColumnWidths(TLayoutSettings::Read(LayoutKey(QStringLiteral("colunas"))));
    } catch (const std::exception &error) {
        // Columns the table refuses (a repeated name) leave it without rows to show.
        qCWarning(lcScreens) << "the columns of" << FPath << "were refused:" << error.what();
    }
    AfterBuild();
}

void TfrmPesquisaPadrao::ShowPage(const TJson &page)
{
    // Rows cannot be shown before the columns exist.
    if (!FcdsPesquisa->Active())
        return;
    FcdsPesquisa->DisableControls();
    try {
        FcdsPesquisa->EmptyDataSet();
        LoadTableFromArray(FcdsPesquisa, &GetValueArray(page, QStringLiteral("content")));
        // The page opens on its first row, as the user reads it.
        FcdsPesquisa->First();
        FPageShown = true;
        FPaginas = GetValueInt(page, QStringLiteral("totalPages"));
        SetPagina(GetValueInt(page, QStringLiteral("number")));
    } catch (const std::exception &error) {
        // A page lacking a member stops at that step; what came before stays.
        qCWarning(lcScreens) << "a page of" << FPath << "stopped:" << error.what();
    }
    FcdsPesquisa->EnableControls();
}

void TfrmPesquisaPadrao::AfterBuild()
{
    panelFiltros->DoLayout();
    FormResize();
}

QString TfrmPesquisaPadrao::FilterQuery() const
{
    QString query;
    CollectFilterParams(panelFiltros, query);
    return query;
}

QString TfrmPesquisaPadrao::LayoutKey(const QString &part) const
{
    return QStringLiteral("pesquisa/%1/%2").arg(QString(FPath).replace(QLatin1Char('/'), QLatin1Char('.')), part);
}

void TfrmPesquisaPadrao::done(int result)
{
    if (!FPath.isEmpty()) {
        TLayoutSettings::Write(LayoutKey(QStringLiteral("geometria")), saveGeometry());
        if (FcdsPesquisa->FieldCount() > 0)
            TLayoutSettings::Write(LayoutKey(QStringLiteral("colunas")), gridPesquisa->ColumnWidths());
    }
    QDialog::done(result);
}

QString TfrmPesquisaPadrao::SortQuery() const
{
    if (!FSort)
        return {};
    return TApiPaths::QueryParam(QStringLiteral("sort"), FSort->Column)
         + (FSort->Order == Qt::AscendingOrder ? QStringLiteral(",asc") : QStringLiteral(",desc"));
}

void TfrmPesquisaPadrao::ColumnTitleClick(int section)
{
    if (section < 0 || section >= FcdsPesquisa->FieldCount())
        return;
    const QString column = FcdsPesquisa->Fields(section)->FieldName();
    if (!FSort || FSort->Column != column)
        FSort = TSort {column, Qt::AscendingOrder};
    else if (FSort->Order == Qt::AscendingOrder)
        FSort->Order = Qt::DescendingOrder;
    else
        FSort.reset();
    ShowSortIndicator();
    if (FPageShown)
        LoadPage(0);
}

void TfrmPesquisaPadrao::ShowSortIndicator()
{
    int section = -1;
    for (int i = 0; FSort && i < FcdsPesquisa->FieldCount(); ++i)
        if (FcdsPesquisa->Fields(i)->FieldName() == FSort->Column)
            section = i;
    gridPesquisa->horizontalHeader()->setSortIndicator(section, FSort ? FSort->Order : Qt::AscendingOrder);
}

QString TfrmPesquisaPadrao::SelectedKey() const
{
    if (!FcdsPesquisa->Active() || FcdsPesquisa->IsEmpty())
        return {};
    for (int i = 0; i < FcdsPesquisa->FieldCount(); ++i) {
        const TField *field = FcdsPesquisa->Fields(i);
        if (field->ProviderFlags().testFlag(pfInKey))
            return field->AsString();
    }
    return {};
}

void TfrmPesquisaPadrao::btPesquisarClick()
{
    if (FPath.isEmpty())
        ShowMessageBox(kNoPath, TMessageKind::Error);
    else
        LoadPage(0);
}

void TfrmPesquisaPadrao::btExportarClick()
{
    if (FPath.isEmpty()) {
        ShowMessageBox(kNoPath, TMessageKind::Error);
        return;
    }
    const QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Exportar"), FPath + QStringLiteral(".csv"),
                                                          QStringLiteral("Arquivos CSV (*.csv)"));
    if (!fileName.isEmpty())
        Export(fileName);
}

void TfrmPesquisaPadrao::Export(const QString &fileName)
{
    QList<TCsvWriter::TColumn> columns;
    for (int i = 0; i < FcdsPesquisa->FieldCount(); ++i)
        columns.append({FcdsPesquisa->Fields(i)->FieldName(), FcdsPesquisa->Fields(i)->DisplayLabel()});
    auto *exporting = new TSearchExport(this, FPath, FilterQuery() + SortQuery(), columns, fileName);
    connect(exporting, &TSearchExport::exported, this, [fileName](int records) {
        ShowMessageBox(QStringLiteral("%1 registros exportados para %2.").arg(records).arg(fileName),
                       TMessageKind::Information);
    });
    exporting->Start();
}

void TfrmPesquisaPadrao::btSelecionarClick()
{
    const QString key = SelectedKey();
    if (key.isEmpty()) {
        ShowMessageBox(kNoSelection, TMessageKind::Information);
        return;
    }
    FSelected = key;
    accept();
}

void TfrmPesquisaPadrao::gridPesquisaDblClick()
{
    btSelecionarClick();
}

bool TfrmPesquisaPadrao::ReadTypedPage(int &number)
{
    bool ok = false;
    number = edtPagina->text().toInt(&ok);
    if (!ok)
        ShowMessageBox(QStringLiteral("'%1' is not a valid integer value").arg(edtPagina->text()), TMessageKind::Error);
    return ok;
}

void TfrmPesquisaPadrao::MovePage(bool (*allowed)(int n, int paginas), int (*target)(int n, int pagina, int paginas))
{
    int n = 0;
    if (ReadTypedPage(n) && allowed(n, FPaginas))
        LoadPage(target(n, FPagina, FPaginas));
}

void TfrmPesquisaPadrao::btPaginaAnteriorClick() { MovePage(kPrior.Allowed, kPrior.Target); }
void TfrmPesquisaPadrao::btPrimeiraPaginaClick() { MovePage(kFirst.Allowed, kFirst.Target); }
void TfrmPesquisaPadrao::btUltimaPaginaClick() { MovePage(kLast.Allowed, kLast.Target); }
void TfrmPesquisaPadrao::btProximaPaginaClick() { MovePage(kNext.Allowed, kNext.Target); }
void TfrmPesquisaPadrao::edtPaginaKeyDown() { MovePage(kTyped.Allowed, kTyped.Target); }

void TfrmPesquisaPadrao::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmPesquisaPadrao::FormResize()
{
    const QList<QWidget *> cells = panelFiltros->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    if (cells.isEmpty())
        return;
    const QWidget *last = cells.last();
    panelFiltersOwner->setFixedHeight(last->y() + last->height() + kFiltersOwnerTop + kFiltersOwnerBottom);
}
