#include "screens/TfrmCadastroPadrao.h"

#include "screens/AddObjectGroup.h"

#include "convert/TRecordTable.h"
#include "fields/TControlKind.h"
#include "fields/TFieldEngine.h"
#include "fields/TResourceComboBox.h"
#include "rest/FormatJson.h"
#include "rest/TApiPaths.h"
#include "rest/THttpVerbs.h"
#include "gui/TIcons.h"
#include "gui/TMessageBox.h"
#include "gui/WhiteBackground.h"
#include "screens/TJsonView.h"
#include "screens/LookupSearch.h"
#include "screens/ScreensLog.h"
#include "gui/TLayoutSettings.h"
#include "screens/TfrmPesquisaPadrao.h"
#include "screens/TfrmTabForm.h"
#include "widgets/TFieldMark.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TPopupKeyGuard.h"

#include <QAction>
#include <QApplication>
#include <QRegularExpression>
#include <QHBoxLayout>
#include <QLayout>
#include <QPalette>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <memory>

namespace {

// Where the debug pane's splitters keep what the user made of them.
const QString kDebugPaneKey = QStringLiteral("cadastro/painelDepuracao");
const QString kDebugViewsKey = QStringLiteral("cadastro/requisicaoResposta");
const QString kRecordNotFound = QStringLiteral("Não foi possível contrar o registro especificado.");
const QString kSaveFailed = QStringLiteral("Falha ao gravar o registro.");
const QString kSaveFailedCode = QStringLiteral("Falha ao gravar o registro. Codigo: %1");
const QString kDeleteFailedCode = QStringLiteral("Falha ao excluir o registro. Código: %1");
const QString kNoRecordToDelete = QStringLiteral("Nenhum reigistro para ser excluído");
const QString kConfirmDelete = QStringLiteral("Deseja excluir o registro?");
const QString kSaved = QStringLiteral("Registro gravado.");
const QString kDeleted = QStringLiteral("Registro excluído.");

constexpr int kToolBarHeight = 41;
constexpr int kButtonWidth = 53;
constexpr int kButtonHeight = 36;
constexpr int kDebugPaneDesignWidth = 185;

// The version an answer names, as a later write may be made conditional on it. A weak tag (one a
// proxy may have made) never matches If-Match, so a write over it could never succeed: none then.
QByteArray VersionOf(const TRestResult &answer)
{
    return answer.ETag.startsWith("W/") ? QByteArray() : answer.ETag;
}

// The error objects of an answer: the elements of an array, or the answer's one object.
QList<const TJson *> ErrorObjectsOf(const TRestResult &answer)
{
    QList<const TJson *> errors;
    if (const TJson *array = answer.Array()) {
        for (const TJson &element : *array)
            if (element.is_object())
                errors << &element;
    } else if (const TJson *object = answer.Object()) {
        errors << object;
    }
    return errors;
}

// True when text holds word as a whole word, in any case.
bool NamesWord(const QString &text, const QString &word)
{
    if (word.isEmpty() || text.isEmpty())
        return false;
    const QRegularExpression whole(QStringLiteral("(^|\\W)%1($|\\W)").arg(QRegularExpression::escape(word)),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return whole.match(text).hasMatch();
}

// The caption of a control's row, without its colon.
QString CaptionOf(const QWidget *control)
{
    const TLXColumnPanel *row = TFieldEngine::RowOf(control);
    const auto *label = row ? row->findChild<QLabel *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!label)
        return QString();
    QString caption = label->text().trimmed();
    if (caption.endsWith(u':'))
        caption.chop(1);
    return caption;
}

} // namespace

TfrmCadastroPadrao::TfrmCadastroPadrao(QWidget *parent) : TfrmPadrao(parent)
{
    setObjectName(QStringLiteral("frmCadastroPadrao"));
    setWindowTitle(QStringLiteral("CadastroPadrao"));
    setWindowFlags(Qt::Widget | Qt::FramelessWindowHint);
    TPopupKeyGuard::Install();
    SetWhiteBackground(this);
    resize(603, 361);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildToolBar();
    auto *header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 8, 0);
    header->addWidget(ToolBar, 1);
    header->addWidget(pbOcupado);
    layout->addLayout(header);

    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setChildrenCollapsible(false);
    Tabs = new QTabWidget(Splitter);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    Tabs->addTab(BuildDadosPage(), QStringLiteral("Dados"));
    Splitter->addWidget(Tabs);
    Splitter->addWidget(BuildDebugPane());
    Splitter->setStretchFactor(0, 1);
    Splitter->setStretchFactor(1, 0);
    layout->addWidget(Splitter, 1);
    TLayoutSettings::KeepSplitter(Splitter, kDebugPaneKey);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setContentsMargins(8, 3, 8, 3);
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblStatus);

    cdsCadastro = new TRecordTable(this);
    cdsCadastro->setObjectName(QStringLiteral("cdsCadastro"));
    connect(cdsCadastro, &TRecordTable::AfterInsert, this, [this] { SetEstado(ceEdicao); });
    connect(cdsCadastro, &TRecordTable::AfterEdit, this, [this] { SetEstado(ceEdicao); });

    // FormCreate: empty maps, then the state, the record and the debug pane in this order.
    FObjects.clear();
    FFieldMap.clear();
    SetEstado(ceBloqueado);
    SetRegistro(std::nullopt);
    SetDebug(false);
}

TfrmCadastroPadrao::~TfrmCadastroPadrao() = default;

// ---- layout

QAction *TfrmCadastroPadrao::AddToolAction(
    const char *name, const QString &caption, TIcon image, const QKeySequence &key, void (TfrmCadastroPadrao::*handler)())
{
    auto *action = new QAction(TIcons::Of(image), caption, this);
    // The keys act only while the focus is inside this screen, and never on a key an open pop-up
    // takes (TPopupKeyGuard).
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(action);
    action->setToolTip(
        key.isEmpty() ? caption : QStringLiteral("%1 (%2)").arg(caption, key.toString(QKeySequence::NativeText)));
    // Each action starts with an empty status line: it tells only what the last action achieved.
    connect(action, &QAction::triggered, this, [this, handler] {
        lblStatus->clear();
        ShowErrorsOf([this, handler] { (this->*handler)(); });
    });
    ToolBar->addAction(action);
    auto *button = qobject_cast<QToolButton *>(ToolBar->widgetForAction(action));
    button->setObjectName(QString::fromLatin1(name));
    button->setMinimumSize(kButtonWidth, kButtonHeight);
    return action;
}

void TfrmCadastroPadrao::BuildToolBar()
{
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setFixedHeight(kToolBarHeight);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar->setMovable(false);
    // White and tight through the palette and layout: a style sheet here costs every screen about
    // 130 KB of per-widget style data.
    SetWhiteBackground(ToolBar);
    ToolBar->layout()->setSpacing(0);

    actGravar = AddToolAction("btGravar", QStringLiteral("Gravar"), TIcon::Save,
        QKeySequence(Qt::CTRL | Qt::Key_S), &TfrmCadastroPadrao::btGravarClick);
    actDesistir = AddToolAction("btDesistir", QStringLiteral("Desistir"), TIcon::Cancel,
        QKeySequence(Qt::Key_Escape), &TfrmCadastroPadrao::btDesistirClick);
    actNovo = AddToolAction("btNovo", QStringLiteral("Novo"), TIcon::New, QKeySequence(Qt::CTRL | Qt::Key_N),
        &TfrmCadastroPadrao::btNovoClick);
    actAlterar = AddToolAction("btAlterar", QStringLiteral("Alterar"), TIcon::Edit,
        QKeySequence(Qt::CTRL | Qt::Key_E), &TfrmCadastroPadrao::btAlterarClick);
    actExcluir = AddToolAction("btExcluir", QStringLiteral("Excluir"), TIcon::Delete,
        QKeySequence(Qt::CTRL | Qt::Key_Delete), &TfrmCadastroPadrao::btExcluirClick);
    ToolBar->addSeparator();
    actPesquisar = AddToolAction("btPesquisar", QStringLiteral("Pesquisar"), TIcon::Search,
        QKeySequence(Qt::Key_F3), &TfrmCadastroPadrao::btPesquisarClick);
    ToolBar->addSeparator();

    // "Debug" is a toggle: its pressed state is the pane's visibility.
    actDebug = new QAction(TIcons::Of(TIcon::Debug), QStringLiteral("Debug"), this);
    actDebug->setCheckable(true);
    connect(actDebug, &QAction::toggled, this, [this](bool pressed) { SetDebug(pressed); });
    ToolBar->addAction(actDebug);
    btDebug = qobject_cast<QToolButton *>(ToolBar->widgetForAction(actDebug));
    btDebug->setObjectName(QStringLiteral("btDebug"));
    btDebug->setMinimumSize(kButtonWidth, kButtonHeight);

    // Right of the tool bar: a busy bar shown while a request of the screen is in flight.
    pbOcupado = new QProgressBar(this);
    pbOcupado->setObjectName(QStringLiteral("pbOcupado"));
    pbOcupado->setRange(0, 0); // busy mode
    pbOcupado->setTextVisible(false);
    pbOcupado->setFixedSize(80, 12);
    pbOcupado->setToolTip(QStringLiteral("Aguardando o servidor"));
    pbOcupado->hide();

    btGravar = qobject_cast<QToolButton *>(ToolBar->widgetForAction(actGravar));
    btDesistir = qobject_cast<QToolButton *>(ToolBar->widgetForAction(actDesistir));
    btNovo = qobject_cast<QToolButton *>(ToolBar->widgetForAction(actNovo));
    btAlterar = qobject_cast<QToolButton *>(ToolBar->widgetForAction(actAlterar));
    btExcluir = qobject_cast<QToolButton *>(ToolBar->widgetForAction(actExcluir));
    btPesquisar = qobject_cast<QToolButton *>(ToolBar->widgetForAction(actPesquisar));
}

QWidget *TfrmCadastroPadrao::BuildDadosPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabDados"));
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    // Rows that do not fit the page scroll instead of being cut off.
    auto *scroll = new QScrollArea(page);
    scroll->setObjectName(QStringLiteral("scrollCadastro"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *holder = new QWidget;
    holder->setObjectName(QStringLiteral("panelDados"));
    auto *holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(5, 5, 10, 5);
    scroll->setWidget(holder);
    pageLayout->addWidget(scroll);

    panelCadastro = new TLXColumnPanel(holder);
    panelCadastro->setObjectName(QStringLiteral("panelCadastro"));
    panelCadastro->setColumns(24);
    panelCadastro->setVerticalSpace(5);
    panelCadastro->setAutoHeight(false);
    panelCadastro->setContentsMargins(5, 5, 5, 5);
    holderLayout->addWidget(panelCadastro);
    // The panel leaves its own height alone: after each pass it asks for the height its rows take.
    connect(panelCadastro, &TLXColumnPanel::layoutDone, this, [this] {
        const int needed = panelCadastro->sizeHint().height() + panelCadastro->contentsMargins().bottom();
        if (panelCadastro->minimumHeight() != needed)
            panelCadastro->setMinimumHeight(needed);
    });
    panelCadastro->Loaded();
    return page;
}

TJsonView *TfrmCadastroPadrao::NewJsonView(const QString &name)
{
    auto *view = new TJsonView;
    view->setObjectName(name);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(13);
    view->setFont(font);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QPlainTextEdit::customContextMenuRequested, this, [this, view](const QPoint &pos) {
        FPopupView = view;
        popDebug->popup(view->viewport()->mapToGlobal(pos));
    });
    return view;
}

QWidget *TfrmCadastroPadrao::BuildDebugPane()
{
    panelDebug = new QWidget;
    panelDebug->setObjectName(QStringLiteral("panelDebug"));
    panelDebug->resize(kDebugPaneDesignWidth, panelDebug->height());
    auto *paneLayout = new QVBoxLayout(panelDebug);
    paneLayout->setContentsMargins(0, 0, 0, 0);

    popDebug = new QMenu(this);
    popDebug->setObjectName(QStringLiteral("popDebug"));
    QAction *format = popDebug->addAction(QStringLiteral("Formatar Json"));
    format->setObjectName(QStringLiteral("FormatarJson1"));
    connect(format, &QAction::triggered, this, [this] { ShowErrorsOf([this] { FormatarJson1Click(); }); });

    // Request above, response below, with a 3-pixel splitter between them.
    auto *views = new QSplitter(Qt::Vertical, panelDebug);
    views->setObjectName(QStringLiteral("SplitterDebug"));
    views->setHandleWidth(3);
    views->setChildrenCollapsible(false);
    TLayoutSettings::KeepSplitter(views, kDebugViewsKey);
    const auto addSection = [this, views](QLabel *&label, TJsonView *&view, const QString &caption) {
        auto *section = new QWidget(views);
        auto *sectionLayout = new QVBoxLayout(section);
        sectionLayout->setContentsMargins(0, 0, 0, 0);
        sectionLayout->setSpacing(0);
        label = new QLabel(caption, section);
        view = NewJsonView(QString());
        view->setParent(section);
        sectionLayout->addWidget(label);
        sectionLayout->addWidget(view, 1);
        views->addWidget(section);
    };
    addSection(lblRequest, edtRequest, QStringLiteral("Request"));
    addSection(lblResponse, edtResponse, QStringLiteral("Response"));
    lblRequest->setObjectName(QStringLiteral("lblRequest"));
    lblResponse->setObjectName(QStringLiteral("lblResponse"));
    edtRequest->setObjectName(QStringLiteral("edtRequest"));
    edtResponse->setObjectName(QStringLiteral("edtResponse"));
    views->setStretchFactor(1, 1);
    paneLayout->addWidget(views);
    return panelDebug;
}

// ---- properties

void TfrmCadastroPadrao::SetEstado(TCadastroEstado value)
{
    const bool starts = value == ceEdicao && FEstado != ceEdicao;
    const bool hadFocus = HasFocusInside();
    FEstado = value;
    if (starts)
        FEditStart = RecordOrNothing();
    else if (value != ceEdicao)
        FEditStart.reset();
    if (value == ceBloqueado)
        ClearMarks(); // what the marks were about is no longer on the screen
    EnableFields(value != ceBloqueado);
    UpdateButtons();
    // A locked control that had the focus may have passed it out of the screen.
    if (hadFocus && !HasFocusInside())
        KeepFocusOnScreen();
}

void TfrmCadastroPadrao::SetRegistro(std::optional<TJson> value, QByteArray versao)
{
    FRegistro = std::move(value);
    FVersao = FRegistro ? std::move(versao) : QByteArray();
    UpdateButtons();
}

QString TfrmCadastroPadrao::StoredId() const
{
    return FRegistro && Contains(*FRegistro, "id") ? GetValueText(*FRegistro, "id") : QString();
}

QByteArray TfrmCadastroPadrao::VersionOfShownRecord() const
{
    return !FIDValue.isEmpty() && StoredId() == FIDValue ? FVersao : QByteArray();
}

void TfrmCadastroPadrao::SetPath(const QString &value)
{
    FPath = value;
    LoadFields();
}

void TfrmCadastroPadrao::SetDebug(bool value)
{
    FDebug = value;
    if (actDebug->isChecked() != value) {
        const QSignalBlocker blocker(actDebug);
        actDebug->setChecked(value);
    }
    panelDebug->setVisible(value);
    if (value)
        ShowDebugSizes();
}

void TfrmCadastroPadrao::ShowDebugSizes()
{
    // Integer arithmetic truncates like the design: 40 % of the width, half of the height.
    const int paneWidth = width() * 40 / 100;
    const int requestHeight = height() / 2;
    const int splitterWidth = Splitter->width() - Splitter->handleWidth();
    Splitter->setSizes({qMax(0, splitterWidth - paneWidth), paneWidth});
    auto *views = panelDebug->findChild<QSplitter *>(QStringLiteral("SplitterDebug"));
    const int top = lblRequest->sizeHint().height() + requestHeight;
    views->setSizes({top, qMax(0, views->height() - views->handleWidth() - top)});
    // Where the user last dragged them, when they did.
    TLayoutSettings::RestoreSplitter(Splitter, kDebugPaneKey);
    TLayoutSettings::RestoreSplitter(views, kDebugViewsKey);
}

TJson TfrmCadastroPadrao::getRecord() const
{
    return TFieldEngine::GetRecord(FFieldMap, &FObjects);
}

void TfrmCadastroPadrao::AddFieldControl(QWidget *control)
{
    TFieldEngine::AppendToFieldMap(FFieldMap, control);
}

void TfrmCadastroPadrao::EnableFields(bool value)
{
    // Group controls follow the field map, so a locked screen cannot be edited through them.
    const QWidget *id = IdControl();
    for (QWidget *control : AllControls()) {
        const bool locked = !value || control == id;
        if (const TControlKind *kind = TControlKind::Of(control))
            kind->Lock(control, locked);
        else
            control->setEnabled(!locked);
    }
}

QList<QWidget *> TfrmCadastroPadrao::AllControls() const
{
    QList<QWidget *> controls;
    const auto add = [&controls](const TFieldMap &map) {
        for (const QPointer<QWidget> &control : map)
            if (control)
                controls << control;
    };
    add(FFieldMap);
    for (const TFieldMap &group : std::as_const(FObjects))
        add(group);
    return controls;
}

QWidget *TfrmCadastroPadrao::IdControl() const
{
    for (const QPointer<QWidget> &control : FFieldMap) {
        const TControlKind *kind = TControlKind::Of(control);
        if (kind && kind->MemberName(control) == QLatin1String("id"))
            return control;
    }
    return nullptr;
}

QWidget *TfrmCadastroPadrao::FirstEditableControl() const
{
    const auto editable = [this](const QWidget *control) {
        return control && control->isEnabled() && !TControlKind::IsLocked(control) && control->isVisibleTo(this)
            && control->focusPolicy() != Qt::NoFocus;
    };
    if (editable(FDefaultFocus))
        return FDefaultFocus;
    const QList<QWidget *> controls = AllControls();
    const auto first = std::find_if(controls.cbegin(), controls.cend(), editable);
    return first == controls.cend() ? nullptr : *first;
}

void TfrmCadastroPadrao::FocusFirstField()
{
    if (QWidget *control = FirstEditableControl())
        control->setFocus(Qt::OtherFocusReason);
}

bool TfrmCadastroPadrao::HasFocusInside() const
{
    const QWidget *focused = QApplication::focusWidget();
    return focused && (focused == this || isAncestorOf(focused));
}

void TfrmCadastroPadrao::KeepFocusOnScreen()
{
    // "Alterar" is the likely next step on a stored record; "Novo" is enabled whenever locked.
    for (QToolButton *button : {btAlterar, btNovo}) {
        if (button->isEnabled()) {
            button->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    setFocus(Qt::OtherFocusReason);
}

void TfrmCadastroPadrao::ShowStatus(const QString &text)
{
    lblStatus->setText(text);
}

void TfrmCadastroPadrao::UpdateButtons()
{
    const bool editing = FEstado == ceEdicao;
    const bool stored = FRegistro.has_value();
    // A save or delete in flight keeps both off: a second press would send the request again.
    const bool writing = FPendingWrites > 0;
    actGravar->setEnabled(editing && !writing);
    actDesistir->setEnabled(editing);
    actNovo->setEnabled(!editing);
    actAlterar->setEnabled(!editing && stored);
    actExcluir->setEnabled(!editing && stored && !writing);
    actPesquisar->setEnabled(!editing);
    actDebug->setEnabled(true);
}

void TfrmCadastroPadrao::ResetDataSet()
{
    if (cdsCadastro->Active())
        cdsCadastro->EmptyDataSet();
    cdsCadastro->Close();
    cdsCadastro->FieldDefs().Clear();
    cdsCadastro->CreateDataSet();
}

// ---- hooks

QStringList TfrmCadastroPadrao::ValidarRegistro()
{
    return {};
}
void TfrmCadastroPadrao::AntesGravar(bool &, QString &)
{ }
void TfrmCadastroPadrao::AntesExcluir(bool &, QString &)
{ }
QWidget *TfrmCadastroPadrao::CreateDetailListEditor(const TJson &descriptor, QWidget *page)
{
    return TfrmTabForm::CreateFor(descriptor, page, [screen = QPointer(this)] {
        return screen ? screen->getRecord() : TJson::object();
    });
}

// ---- requests

THttpVerbs::THandler TfrmCadastroPadrao::Answer(TRequestKind kind, const QString &path, TAnswer handler)
{
    RequestStarted(kind);
    // Runs only while the screen exists (it is the request's context).
    return [this, kind, path, handler = std::move(handler)](const TRestResult &answer) {
        ShowErrorsOf([&] {
            const QPointer<TfrmCadastroPadrao> screen(this);
            RequestFinished(kind);
            try {
                handler(answer);
            } catch (const std::exception &error) {
                // An answer of the wrong shape stops its handling at the failing step.
                qCWarning(lcScreens) << "the answer to" << path << "stopped:" << error.what();
            }
            if (screen)
                emit answerHandled(answer.Status);
        });
    };
}

void TfrmCadastroPadrao::RequestStarted(TRequestKind kind)
{
    ++FPendingRequests;
    if (kind == TRequestKind::Write)
        ++FPendingWrites;
    pbOcupado->show();
    UpdateButtons();
}

void TfrmCadastroPadrao::RequestFinished(TRequestKind kind)
{
    FPendingRequests = qMax(0, FPendingRequests - 1);
    if (kind == TRequestKind::Write)
        FPendingWrites = qMax(0, FPendingWrites - 1);
    pbOcupado->setVisible(FPendingRequests > 0);
    UpdateButtons();
}

QString TfrmCadastroPadrao::RecordPath() const
{
    return TApiPaths::Record(FPath, QString::fromLatin1(QUrl::toPercentEncoding(FIDValue)));
}

// ---- building from the descriptors

void TfrmCadastroPadrao::LoadFields()
{
    const QString path = TApiPaths::Fields(FPath);
    THttpVerbs::Get(path, this, Answer(TRequestKind::Read, path, [this](const TRestResult &answer) {
        if (answer.Is(404)) {
            TMessageBox::Show(TRestResult::NotFoundText, TMessageKind::Error, QString());
            return;
        }
        if (!answer.Is(200))
            return;
        if (const TJson *descriptors = answer.Array())
            BuildFields(*descriptors);
    }));
}

void TfrmCadastroPadrao::BuildFields(const TJson &descriptors)
{
    // Rows are made while the panel is hidden; one layout pass at the end places them all.
    panelCadastro->hide();
    FFieldMap.clear();
    const auto finish = qScopeGuard([this] {
        panelCadastro->resize(panelCadastro->width() - 1, panelCadastro->height());
        panelCadastro->show();
        EnableFields(FEstado != ceBloqueado);
        emit fieldsLoaded();
    });
    try {
        for (const TJson &descriptor : descriptors)
            AddDescriptor(descriptor);
    } catch (const std::exception &error) {
        // A descriptor the walk cannot read stops the build; the rows made so far stay.
        qCWarning(lcScreens) << "the fields of" << FPath << "stopped:" << error.what();
    }
}

void TfrmCadastroPadrao::AddDescriptor(const TJson &descriptor)
{
    const QString tipo = GetValueText(descriptor, "tipo").toLower();
    if (tipo == QLatin1String("list"))
        AddListPage(descriptor);
    else if (tipo == QLatin1String("object") && !Contains(descriptor, "resource") && Contains(descriptor, "fields"))
        AddObjectGroup(descriptor);
    else
        AddSingleField(descriptor);
}

void TfrmCadastroPadrao::AddListPage(const TJson &descriptor)
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Tab_%1").arg(GetValueText(descriptor, "nome")));
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    Tabs->addTab(page, GetValueText(descriptor, "label"));
    QWidget *editor = CreateDetailListEditor(descriptor, page);
    if (!editor)
        return;
    pageLayout->addWidget(editor);
    editor->show();
    AddFieldControl(editor);
}

void TfrmCadastroPadrao::AddObjectGroup(const TJson &descriptor)
{
    ::AddObjectGroup(panelCadastro, FObjects, descriptor, [this](const TJson &field, TFieldMap &controls) {
        TFieldEngine::AppendToFieldMap(controls, ConnectLookupButton(TFieldEngine::FillFields(panelCadastro, field)));
    });
}

void TfrmCadastroPadrao::AddSingleField(const TJson &descriptor)
{
    QWidget *control = ConnectLookupButton(TFieldEngine::FillFields(panelCadastro, descriptor));
    if (!control)
        return;
    // Every top-level field shows on this screen, the id field included.
    TFieldEngine::AttachRow(control);
    AddFieldControl(control);
}

// ---- loading

void TfrmCadastroPadrao::Load(int id)
{
    // A newer load replaces this one: its record is then not shown.
    const QString path = TApiPaths::Record(FPath, id);
    THttpVerbs::Get(path, this,
        Answer(TRequestKind::Read, path,
            FRecordRequest.Replace([this](const TRestResult &answer) { ShowRecord(answer); })));
}

void TfrmCadastroPadrao::ShowRecord(const TRestResult &answer)
{
    if (!answer.Is(200) && ShowUserMessages(answer))
        return;
    if (answer.Is(404)) {
        TMessageBox::Show(kRecordNotFound, TMessageKind::Error, QString());
        return;
    }
    if (ShowNoAnswer(answer) || !answer.Is(200) || !answer.Object())
        return;
    const TJson &record = *answer.Object();
    WriteRecordToControls(record);
    const QString id = GetValueText(record, "id");
    SetRegistro(record, VersionOf(answer));
    FIDValue = id;
    SetEstado(ceBloqueado);
}

void TfrmCadastroPadrao::Reload()
{
    const QString path = RecordPath();
    THttpVerbs::Get(path, this,
        Answer(TRequestKind::Read, path, FRecordRequest.Replace([this, id = FIDValue](const TRestResult &answer) {
            if (FEstado == ceBloqueado && FIDValue == id)
                ShowRecord(answer);
        })));
}

void TfrmCadastroPadrao::WriteRecordToControls(const TJson &record)
{
    TFieldEngine::LoadRecord(record, FFieldMap);
    for (auto group = FObjects.cbegin(); group != FObjects.cend(); ++group) {
        const std::string member = group.key().toStdString();
        // A record saved with an empty group comes back without it: the group then shows nothing.
        if (Contains(record, member) && record.at(member).is_object())
            TFieldEngine::LoadRecord(record.at(member), group.value());
        else
            TFieldEngine::LimparCampos(group.value());
    }
}

void TfrmCadastroPadrao::ClearControls()
{
    TFieldEngine::LimparCampos(FFieldMap);
    for (const TFieldMap &group : std::as_const(FObjects))
        TFieldEngine::LimparCampos(group);
}

// ---- saving

void TfrmCadastroPadrao::btGravarClick()
{
    if (FPendingWrites > 0)
        return;
    if (!ValidarRegistro().isEmpty())
        return;
    bool cancel = false;
    QString message;
    AntesGravar(cancel, message);
    if (cancel) {
        ShowMessageBox(message, TMessageKind::Error);
        return;
    }
    const QString body = JsonToText(getRecord());
    edtRequest->SetJson(body);
    const auto answer = [this](const TRestResult &result) { SaveResponse(result); };
    if (!FIDValue.isEmpty()) {
        const QString path = RecordPath();
        lblRequest->setText(QStringLiteral("Request PUT ") + path);
        THttpVerbs::Put(path, body, this, Answer(TRequestKind::Write, path, answer), VersionOfShownRecord());
    } else {
        lblRequest->setText(QStringLiteral("Request POST ") + FPath);
        THttpVerbs::Post(FPath, body, this, Answer(TRequestKind::Write, FPath, answer));
    }
}

void TfrmCadastroPadrao::SaveResponse(const TRestResult &answer)
{
    edtResponse->SetJson(answer.Text);
    if (answer.Is(200) || answer.Is(201)) {
        SetEstado(ceBloqueado);
        ShowStatus(kSaved);
        const TJson *saved = answer.Object();
        if (!saved)
            return;
        const int id = GetValueInt(*saved, QStringLiteral("id"));
        // The save made a new version of the stored record: the next write is conditional on it
        // even when the reload below does not come through.
        if (const QString stored = StoredId(); !stored.isEmpty() && stored == QString::number(id))
            FVersao = VersionOf(answer);
        Load(id);
        return;
    }
    // Refused values (400), someone else's save (412), a server failure: the edits stay on the
    // screen for the user to act on, with what the server said about them.
    if (ShowNoAnswer(answer) || ShowUserMessages(answer) || answer.Is(400))
        return;
    ShowMessageBox(answer.Is(500) ? kSaveFailed : kSaveFailedCode.arg(answer.Status), TMessageKind::Error);
}

bool TfrmCadastroPadrao::ShowNoAnswer(const TRestResult &answer)
{
    // The request layer says why, naming the server; a code of -1 would tell the user nothing.
    if (answer.Answered() || answer.Error.isEmpty())
        return false;
    ShowMessageBox(answer.Error, TMessageKind::Error);
    return true;
}

bool TfrmCadastroPadrao::ShowUserMessages(const TRestResult &answer)
{
    const QStringList messages = answer.UserMessages();
    if (messages.isEmpty())
        return false;
    ClearMarks();
    for (const TJson *error : ErrorObjectsOf(answer))
        MarkNamedFields(*error);
    ShowMessageBox(messages.join(u'\n'), TMessageKind::Error);
    return true;
}

void TfrmCadastroPadrao::MarkNamedFields(const TJson &error)
{
    const auto text = [&error](const char *member) {
        const auto found = error.find(member);
        return found != error.end() && found->is_string() ? QString::fromStdString(found->get<std::string>())
                                                          : QString();
    };
    const QString user = text("mensagemUsuario");
    const QString developer = text("mensagemDesenvolvedor");
    for (QWidget *control : AllControls()) {
        const TControlKind *kind = TControlKind::Of(control);
        const QString member = kind ? kind->MemberName(control) : QString();
        if (NamesWord(developer, member) || NamesWord(user, CaptionOf(control)))
            TFieldMark::Mark(control, user);
    }
}

void TfrmCadastroPadrao::ClearMarks()
{
    for (QWidget *control : AllControls())
        TFieldMark::Clear(control);
}

// ---- deleting

void TfrmCadastroPadrao::btExcluirClick()
{
    if (FPendingWrites > 0)
        return;
    bool cancel = false;
    QString message;
    AntesExcluir(cancel, message);
    if (FIDValue.isEmpty()) {
        ShowMessageBox(kNoRecordToDelete, TMessageKind::Error);
        return;
    }
    if (cancel) {
        ShowMessageBox(message, TMessageKind::Information);
        return;
    }
    const QPointer<TfrmCadastroPadrao> self(this); // the question runs an event loop
    if (ShowMessageBox(kConfirmDelete, TMessageKind::Question) != TMessageResult::Yes || !self)
        return;
    const QString path = RecordPath();
    lblRequest->setText(QStringLiteral("Request: DELETE ") + path);
    edtRequest->SetJson(QString());
    THttpVerbs::Delete(path, this,
        Answer(TRequestKind::Write, path,
            [this, id = FIDValue](const TRestResult &answer) { DeleteResponse(id, answer); }),
        VersionOfShownRecord());
}

void TfrmCadastroPadrao::DeleteResponse(const QString &deletedId, const TRestResult &answer)
{
    edtResponse->SetJson(answer.Text);
    if (!answer.Is(204)) {
        // 409: other records use this one; 412: it changed since it was loaded. The server says
        // what to do; without a message the code is all there is to tell.
        if (!ShowNoAnswer(answer) && !ShowUserMessages(answer))
            ShowMessageBox(kDeleteFailedCode.arg(answer.Status), TMessageKind::Error);
        return;
    }
    // The record is gone: nothing may bring it back ("Desistir" writes the stored record back).
    const bool shown = FIDValue == deletedId;
    if (shown || StoredId() == deletedId)
        SetRegistro(std::nullopt);
    // The controls are emptied unless the screen moved on meanwhile (another record, or "Novo").
    if (!shown)
        return;
    ClearControls();
    FIDValue.clear();
    SetEstado(ceBloqueado);
    ShowStatus(kDeleted);
}

// ---- other buttons

void TfrmCadastroPadrao::btNovoClick()
{
    if (!ConfirmDiscard())
        return;
    FIDValue.clear();
    SetEstado(ceEdicao);
    ClearControls();
    FEditStart = RecordOrNothing(); // a new record starts from the empty form
    FocusFirstField();
}

std::optional<TJson> TfrmCadastroPadrao::RecordOrNothing() const
{
    try {
        return getRecord();
    } catch (const std::exception &error) {
        qCWarning(lcScreens) << "the record of" << FPath << "cannot be read:" << error.what();
        return std::nullopt;
    }
}

bool TfrmCadastroPadrao::HasUnsavedChanges() const
{
    if (FEstado != ceEdicao)
        return false;
    const std::optional<TJson> now = RecordOrNothing();
    return !now || !FEditStart || *now != *FEditStart;
}

bool TfrmCadastroPadrao::ConfirmDiscard()
{
    if (!HasUnsavedChanges())
        return true;
    const QPointer<TfrmCadastroPadrao> self(this); // the question runs an event loop
    return ShowMessageBox(DiscardQuestion, TMessageKind::Question) == TMessageResult::Yes && self;
}

void TfrmCadastroPadrao::btAlterarClick()
{
    SetEstado(ceEdicao);
    FocusFirstField();
}

void TfrmCadastroPadrao::btDesistirClick()
{
    SetEstado(ceBloqueado);
    if (!FRegistro) {
        // Nothing was ever stored: what was typed goes, so that nothing unsaved looks stored.
        ClearControls();
        FIDValue.clear();
        return;
    }
    // The stored values come back at once, so no edited text is left; the server is then asked
    // for the record again, so the screen shows what is stored now (or why it cannot).
    WriteRecordToControls(*FRegistro);
    // The id goes back with the values, so a later save updates the stored record.
    if (Contains(*FRegistro, "id"))
        FIDValue = GetValueText(*FRegistro, "id");
    if (!FIDValue.isEmpty())
        Reload();
}

void TfrmCadastroPadrao::btPesquisarClick()
{
    if (!ConfirmDiscard())
        return;
    const QPointer<TfrmCadastroPadrao> self(this);
    const auto search = std::make_unique<TfrmPesquisaPadrao>();
    search->SetPath(FPath);
    if (search->ShowModal() != TfrmPesquisaPadrao::mrOk || !self)
        return;
    const QString selected = search->Selected();
    bool isNumber = false;
    const int id = selected.toInt(&isNumber);
    if (!isNumber) {
        ShowMessageBox(QStringLiteral("'%1' is not a valid integer value").arg(selected), TMessageKind::Error);
        return;
    }
    Load(id);
}

void TfrmCadastroPadrao::btDebugClick()
{
    actDebug->toggle();
}

void TfrmCadastroPadrao::FormatarJson1Click()
{
    TJsonView *view = FPopupView;
    if (!view)
        return;
    const QString text = view->Json();
    view->SetJson(FJsonFormatter ? FJsonFormatter(text) : FormatJsonLocally(text));
}
