#include "screens/TfrmTabForm.h"

#include "gui/TFonts.h"
#include "gui/TIcons.h"
#include "gui/WhiteBackground.h"
#include "screens/LookupSearch.h"
#include "convert/EDataSetConverterException.h"
#include "convert/EInvalidCast.h"
#include "convert/LoadTableFromArray.h"
#include "convert/TConverter.h"
#include "convert/TField.h"
#include "convert/TFieldDef.h"
#include "convert/TRecordTable.h"
#include "convert/TRecordTableCursorBinder.h"
#include "convert/TRecordTableModel.h"
#include "fields/TFieldEngine.h"
#include "fields/TKeyDescriptions.h"
#include "fields/TResourceComboBox.h"
#include "gui/TMessageBox.h"
#include "screens/AddObjectGroup.h"
#include "widgets/TLXColumnConfig.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TLXDataGrid.h"
#include "widgets/TLXDesignPanel.h"
#include "widgets/TLXPanelForm.h"
#include "widgets/TLXSearchEdit.h"
#include "widgets/TLXSearchEditConfig.h"

#include <QDialog>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>

namespace {

const QString kConfirmDelete = QStringLiteral("Deseja excluir o registro?");
const QString kGravarCaption = QStringLiteral("Gravar");
constexpr int kPanelPadding = 5;


bool IsRequired(const TJson &descriptor)
{
    return Contains(descriptor, "requerido") && GetValueBool(descriptor, QStringLiteral("requerido"));
}

bool IsGroup(const TJson &descriptor, const QString &tipo)
{
    return tipo == QLatin1String("object") && !Contains(descriptor, "resource") && Contains(descriptor, "fields");
}

// The grid column of a sub-field by its "tipo" in lower case. Types without an entry show their
// value as text; text columns keep the whole value, so the grid never shows a name cut short.
// Whole numbers are text too: rows carry them as typed ("" for an empty entry or an unchosen
// key), which an integer column would show as 0.
struct TColumnType
{
    QLatin1StringView Tipo;
    TFieldType Type;
    int Size;
};

constexpr TColumnType kColumnTypes[] = {
    {QLatin1StringView("string"), ftString, TFieldDef::WholeText},
    {QLatin1StringView("boolean"), ftBoolean, -1},
};
constexpr TColumnType kTextColumn = {QLatin1StringView(), ftString, TFieldDef::WholeText};

const TColumnType &ColumnTypeOf(const QString &tipo)
{
    for (const TColumnType &entry : kColumnTypes)
        if (tipo == entry.Tipo)
            return entry;
    return kTextColumn;
}

// The caption of a control's row without its colons, in lower case: how a message names a field.
QString FieldCaption(const QWidget *control)
{
    const TLXColumnPanel *row = TFieldEngine::RowOf(control);
    const QLayoutItem *first = row && row->layout() ? row->layout()->itemAt(0) : nullptr;
    const auto *label = first ? qobject_cast<const QLabel *>(first->widget()) : nullptr;
    return label ? label->text().remove(QLatin1Char(':')).toLower() : QString();
}

// A combo parameter's value: the member Field of each element of the array at the path Source
// of the parent record, joined by ","; empty when the path finds no array.
QString ParamValue(const std::function<const TJson &()> &parent, const TResourceParamSource &source)
{
    if (source.Source.isEmpty())
        return {};
    const TJson *found = FindJsonValue(parent(), source.Source);
    if (!found || !found->is_array())
        return {};
    QStringList parts;
    for (const TJson &element : *found)
        parts << GetValueText(element, source.Field);
    return parts.join(QLatin1Char(','));
}

// A local combo box's options: the array at its resource path in the parent record, when there is one.
void LoadLocalOptions(TResourceComboBox *combo, const TJson &parent)
{
    const TJson *options = FindJsonValue(parent, combo->Resource());
    if (options && options->is_array())
        combo->Load(*options);
}

} // namespace

TfrmTabForm::TfrmTabForm(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmTabForm"));
    setWindowTitle(QStringLiteral("frmTabForm"));
    resize(651, 338);
    setFont(TFonts::Of(TFontFace::Window, 8));
    setAutoFillBackground(true);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildToolBar();
    BuildGrid();
    layout->addWidget(barraRegistros);
    layout->addWidget(gridRegistros, 1);
    BuildPopup();
    FormCreate();
}

TfrmTabForm::~TfrmTabForm() = default;

void TfrmTabForm::BuildToolBar()
{
    barraRegistros = new QToolBar(this);
    barraRegistros->setObjectName(QStringLiteral("ToolBar2"));
    barraRegistros->setFixedHeight(26);
    barraRegistros->setIconSize(QSize(16, 16));
    barraRegistros->setMovable(false);
    const auto addButton = [this](const char *name, TIcon image, void (TfrmTabForm::*handler)()) {
        auto *button = new QToolButton(barraRegistros);
        button->setObjectName(QString::fromLatin1(name));
        button->setIcon(TIcons::Of(image));
        button->setFixedSize(24, 24);
        button->setAutoRaise(true);
        barraRegistros->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, handler] { ShowErrorsOf([this, handler] { (this->*handler)(); }); });
        return button;
    };
    btNovo = addButton("ToolButton1", TIcon::New, &TfrmTabForm::btNovoClick);
    btExcluir = addButton("ToolButton2", TIcon::Delete, &TfrmTabForm::btExcluirClick);
    btNovo->setToolTip(QStringLiteral("Incluir"));
    btExcluir->setToolTip(QStringLiteral("Excluir"));
}

void TfrmTabForm::BuildGrid()
{
    cdsRegistros = new TRecordTable(this);
    cdsRegistros->setObjectName(QStringLiteral("cdsRegistros"));
    dsRegistros = new TRecordTableModel(cdsRegistros, this);
    dsRegistros->setObjectName(QStringLiteral("dsRegistros"));
    gridRegistros = new TLXDataGrid(this);
    gridRegistros->setObjectName(QStringLiteral("DBGrid1"));
    gridRegistros->setModel(dsRegistros);
    gridRegistros->setShowGrid(true);
    gridRegistros->verticalHeader()->setVisible(true);
    new TRecordTableCursorBinder(gridRegistros->selectionModel(), cdsRegistros, this);
    connect(gridRegistros, &TLXDataGrid::gridDoubleClicked, this, [this] { ShowErrorsOf([this] { gridRegistrosDblClick(); }); });
}

void TfrmTabForm::BuildPopup()
{
    panelEdit_Panel = new TLXDesignPanel(this);
    panelEdit_Panel->resize(457, 274);
    SetWhiteBackground(panelEdit_Panel);
    auto *panelLayout = new QVBoxLayout(panelEdit_Panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);

    scrollFields = new QScrollArea(panelEdit_Panel);
    scrollFields->setObjectName(QStringLiteral("scrollFields"));
    scrollFields->setFrameShape(QFrame::NoFrame);
    scrollFields->setWidgetResizable(true);
    // Tab walks the fields inside, not the box (which still scrolls to the focused field).
    scrollFields->setFocusPolicy(Qt::NoFocus);
    // Its own minimum would keep a pop-up of one or two rows taller than they need.
    scrollFields->setMinimumHeight(1);
    auto *holder = new QWidget;
    auto *holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(kPanelPadding, kPanelPadding, kPanelPadding, kPanelPadding);
    panelCadastro = new TLXColumnPanel(holder);
    panelCadastro->setObjectName(QStringLiteral("panelCadastro"));
    panelCadastro->setColumns(24);
    panelCadastro->Config()->setSmall(24);
    panelCadastro->Config()->setMedium(-1);
    panelCadastro->Config()->setLarge(12);
    panelCadastro->Config()->setExtraLarge(0);
    panelCadastro->setVerticalSpace(5);
    panelCadastro->setAutoHeight(false);
    panelCadastro->setContentsMargins(kPanelPadding, kPanelPadding, kPanelPadding, kPanelPadding);
    holderLayout->addWidget(panelCadastro);
    scrollFields->setWidget(holder);
    // The panel places its rows without growing: its minimum height lets the box scroll them.
    connect(panelCadastro, &TLXColumnPanel::layoutDone, this, [this] {
        panelCadastro->setMinimumHeight(panelCadastro->childrenRect().bottom() + 1);
    });
    panelCadastro->Loaded();

    panelButtons = new QWidget(panelEdit_Panel);
    panelButtons->setObjectName(QStringLiteral("panelButtons"));
    panelButtons->setFixedHeight(41);
    const auto addButton = [this](const char *name, const QString &caption, int left, void (TfrmTabForm::*handler)()) {
        auto *button = new QPushButton(caption, panelButtons);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(left, 8, 75, 25);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this,
            [this, handler] { ShowErrorsOf([this, handler] { (this->*handler)(); }); });
        return button;
    };
    btCancelar = addButton("Button1", QStringLiteral("Cancelar"), 368, &TfrmTabForm::btCancelarClick);
    btGravar = addButton("Button2", QStringLiteral("Gravar"), 287, &TfrmTabForm::btGravarClick);
    // Enter in a field means "Gravar"; the buttons themselves come after the fields (see PrepareKeys).
    btGravar->setDefault(true);
    panelLayout->addWidget(scrollFields, 1);
    panelLayout->addWidget(panelButtons);

    panelEdit = new TLXPanelForm(this);
    panelEdit->setObjectName(QStringLiteral("panelEdit"));
    panelEdit->setFormWidth(185);
    panelEdit->setFormHeight(41);
    panelEdit->setPanel(panelEdit_Panel);
    TFormConfig *config = panelEdit->FormConfig();
    config->setCaption(QStringLiteral("Editar registro"));
    config->setAlphaBlendValue(0);
    config->setPosition(TFormConfig::poScreenCenter);
    config->setBorderStyle(TFormConfig::bsToolWindow);
    panelEdit->setKeyPreview(false);
    const QPointer<TfrmTabForm> self(this);
    panelEdit->setOnShow([self](QObject *) {
        if (self)
            self->panelEditShow();
    });
}

void TfrmTabForm::FormCreate()
{
    FObjects.clear();
    FRequeridos.clear();
    FFieldMap.clear();
    FValues = TJson::array();
}

TfrmTabForm *TfrmTabForm::CreateFor(const TJson &descriptor, QWidget *page, TParentRecord parentRecord)
{
    auto editor = std::make_unique<TfrmTabForm>(page);
    editor->SetFields(GetValueArray(descriptor, QStringLiteral("fields")));
    const QString name = GetValueText(descriptor, "nome");
    editor->SetFieldName(name);
    editor->setObjectName(name);
    editor->setParentRecord(std::move(parentRecord));
    return editor.release();
}

// ---- the build

void TfrmTabForm::SetFields(const TJson &Value)
{
    const TJson &descriptors = GetValueArray(Value, QString());
    FFields = descriptors;
    FRequeridos.clear();
    FFieldMap.clear();
    FObjects.clear();
    // A second build replaces the rows of the first.
    for (QWidget *row : panelCadastro->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        delete row;
    cdsRegistros->Close();
    cdsRegistros->FieldDefs().Clear();
    for (const TJson &descriptor : descriptors) {
        const QString tipo = GetValueText(descriptor, "tipo").toLower();
        const TColumnType &column = ColumnTypeOf(tipo);
        TFieldDef &def = cdsRegistros->FieldDefs().Add(GetValueText(descriptor, "nome"), column.Type, column.Size);
        def.DisplayLabel = GetValueText(descriptor, "label");
        if (IsGroup(descriptor, tipo))
            AddGroup(descriptor);
        else
            AddControl(descriptor, FFieldMap);
    }
    cdsRegistros->CreateDataSet();
    ShowNamesInKeyColumns();
    panelCadastro->DoLayout();
    ShowRows();
}

void TfrmTabForm::AddGroup(const TJson &descriptor)
{
    AddObjectGroup(panelCadastro, FObjects, descriptor,
                   [this](const TJson &field, TFieldMap &controls) { AddControl(field, controls); });
}

void TfrmTabForm::AddControl(const TJson &descriptor, TFieldMap &controls)
{
    // Rows of "idField" descriptors stay out of the pop-up; their controls are still saved.
    QWidget *control = ConnectLookupButton(TFieldEngine::FillFields(panelCadastro, descriptor));
    if (!control)
        return;
    TFieldEngine::AppendToFieldMap(controls, control);
    FRequeridos.append({control, IsRequired(descriptor)});
}

// ---- rows

void TfrmTabForm::SetValues(const TJson &Value)
{
    SetValues(TJson(Value));
}

void TfrmTabForm::SetValues(TJson &&Value)
{
    const bool isNull = Value.is_null();
    const bool isArray = Value.is_array();
    FValues = isArray ? std::move(Value) : TJson::array();
    ShowRows();
    if (isNull)
        throw EDataSetConverterException("JSON Value Uninformed.");
    if (!isArray)
        throw EInvalidCast("Invalid class typecast");
}

void TfrmTabForm::ShowRows(int recNo)
{
    FRowsShown = false;
    if (!cdsRegistros->Active())
        return;
    LoadLocalCombos(); // before the grid measures its columns
    {
        cdsRegistros->DisableControls();
        const auto enable = qScopeGuard([this] { cdsRegistros->EnableControls(); });
        cdsRegistros->EmptyDataSet();
        LoadTableFromArray(cdsRegistros, &FValues);
    }
    // An element that is an array gives rows of its own: then rows and elements differ.
    FRowsShown = std::all_of(FValues.begin(), FValues.end(), [](const TJson &row) { return row.is_object(); });
    if (recNo >= 1 && recNo <= cdsRegistros->RecordCount())
        cdsRegistros->SetRecNo(recNo);
    else if (!cdsRegistros->IsEmpty())
        cdsRegistros->First();
}

bool TfrmTabForm::TableHolds(int rows) const
{
    return FRowsShown && cdsRegistros->Active() && cdsRegistros->RecordCount() == rows;
}

// Each change runs on the table as it stands; while one runs FRowsShown is off, so that a change
// that fails leaves the rows to be shown again in full next time.
void TfrmTabForm::ShowAppendedRow()
{
    const int rows = static_cast<int>(FValues.size());
    if (!TableHolds(rows - 1) || !FValues.back().is_object()) {
        ShowRows(rows);
        return;
    }
    FRowsShown = false;
    TConverter::New()->ForJson()->SetObject(&FValues.back())->AppendTo(cdsRegistros); // the cursor goes to it
    FRowsShown = true;
}

void TfrmTabForm::ShowChangedRow(int index)
{
    if (!TableHolds(static_cast<int>(FValues.size())) || !FValues[static_cast<size_t>(index)].is_object()) {
        ShowRows(index + 1);
        return;
    }
    FRowsShown = false;
    cdsRegistros->SetRecNo(index + 1);
    cdsRegistros->Edit();
    // Columns without a member come out empty, as in a row loaded anew.
    for (int column = 0; column < cdsRegistros->FieldCount(); ++column)
        cdsRegistros->Fields(column)->Clear();
    TConverter::New()->ForJson()->SetObject(&FValues[static_cast<size_t>(index)])->UpdateIn(cdsRegistros);
    FRowsShown = true;
}

void TfrmTabForm::ShowDeletedRow(int index)
{
    if (!TableHolds(static_cast<int>(FValues.size()) + 1)) {
        ShowRows(qMin(index + 1, static_cast<int>(FValues.size())));
        return;
    }
    cdsRegistros->SetRecNo(index + 1);
    cdsRegistros->Delete(); // the next row becomes current, or the new last one
}

int TfrmTabForm::CurrentIndex() const
{
    if (!cdsRegistros->Active() || cdsRegistros->IsEmpty())
        return -1;
    const int index = cdsRegistros->RecNo() - 1;
    return index >= 0 && index < static_cast<int>(FValues.size()) ? index : -1;
}

// ---- the pop-up's controls

TJson TfrmTabForm::ParentRecord() const
{
    return FParentRecord ? FParentRecord() : TJson::object();
}

// The parent's record carries every row of every list: it is asked for only when a combo box
// reads from it, and once.
void TfrmTabForm::LoadCombos()
{
    std::optional<TJson> record;
    const std::function<const TJson &()> parent = [this, &record]() -> const TJson & {
        if (!record)
            record = ParentRecord();
        return *record;
    };
    for (QWidget *control : std::as_const(FFieldMap)) {
        auto *combo = qobject_cast<TResourceComboBox *>(control);
        if (!combo)
            continue;
        if (combo->ResourceType() == rtLocal) {
            LoadLocalOptions(combo, parent());
        } else if (!combo->Params().empty()) {
            for (TResourceParam &param : combo->Params())
                param.Value = ParamValue(parent, param.Source);
            combo->Load();
        }
    }
    RefreshKeyNames();
}

void TfrmTabForm::LoadLocalCombos()
{
    if (FValues.empty())
        return; // no key to name: the parent's record is not worth asking for
    std::optional<TJson> record;
    for (QWidget *control : std::as_const(FFieldMap)) {
        auto *combo = qobject_cast<TResourceComboBox *>(control);
        if (!combo || combo->ResourceType() != rtLocal || !KeyControlNamed(combo->objectName()))
            continue; // not a column's, or a dependent combo box, whose options come from its main one
        if (!record)
            record = ParentRecord();
        LoadLocalOptions(combo, *record);
    }
}

// ---- names in the grid's key columns

void TfrmTabForm::ShowNamesInKeyColumns()
{
    for (int column = 0; column < cdsRegistros->FieldCount(); ++column) {
        TField *field = cdsRegistros->Fields(column);
        QWidget *control = KeyControlNamed(field->FieldName());
        if (!control)
            continue;
        field->SetOnGetText([this, control = QPointer<QWidget>(control)](
                                const QString &key) { return control ? NameOfKey(control, key) : key; });
        if (auto *combo = qobject_cast<TResourceComboBox *>(control))
            connect(
                combo, &TResourceComboBox::OptionsArrived, this, &TfrmTabForm::RefreshKeyNames, Qt::UniqueConnection);
    }
}

// A dependent combo box is left out: its options are those of the pop-up's last main choice, which
// may name another row's key wrongly.
QWidget *TfrmTabForm::KeyControlNamed(const QString &name) const
{
    QWidget *found = nullptr;
    for (QWidget *control : FFieldMap) {
        if (const auto *combo = qobject_cast<TResourceComboBox *>(control);
            combo && combo->SubObject() && combo->SubObject()->objectName() == name)
            return nullptr;
        if (!found && control->objectName() == name
            && (qobject_cast<TResourceComboBox *>(control) || qobject_cast<TLXSearchEdit *>(control)))
            found = control;
    }
    return found;
}

// A combo box names a key by its option; a key it has no option for (beyond the first page of a
// remote resource, or before the options of its parameters were asked for) and a lookup's key are
// named by the resource's record. A key without a name yet shows as it is.
QString TfrmTabForm::NameOfKey(const QWidget *control, const QString &key)
{
    if (key.isEmpty())
        return key;
    if (const auto *combo = qobject_cast<const TResourceComboBox *>(control)) {
        for (int index = 0; index < combo->count(); ++index)
            if (const TComboValue *option = combo->ValueAt(index); option && option->KeyValue() == key)
                return option->DisplayValue();
        const bool optionsToCome = combo->Params().empty() && !combo->OptionsLoaded();
        if (combo->ResourceType() != rtRemote || optionsToCome)
            return key;
        return DescriptionsOf(combo->Resource(), combo->DisplayField())->Of(key).value_or(key);
    }
    const TLXSearchEditConfig *config = qobject_cast<const TLXSearchEdit *>(control)->Config();
    return DescriptionsOf(config->Resource(), config->DisplayField())->Of(key).value_or(key);
}

TKeyDescriptions *TfrmTabForm::DescriptionsOf(const QString &resource, const QString &displayField)
{
    const QString name = resource + QLatin1Char('\n') + displayField;
    TKeyDescriptions *&descriptions = FKeyDescriptions[name];
    if (!descriptions) {
        descriptions = new TKeyDescriptions(resource, displayField, this);
        connect(descriptions, &TKeyDescriptions::Arrived, this, &TfrmTabForm::RefreshKeyNames);
    }
    return descriptions;
}

void TfrmTabForm::RefreshKeyNames()
{
    dsRegistros->RefreshTexts();
    gridRegistros->FitColumnsToContents();
}

void TfrmTabForm::ClearGroups()
{
    for (const TFieldMap &controls : std::as_const(FObjects))
        TFieldEngine::LimparCampos(controls);
}

void TfrmTabForm::LoadGroups(const TJson &element)
{
    for (auto group = FObjects.cbegin(); group != FObjects.cend(); ++group) {
        const auto member = element.find(group.key().toStdString());
        if (member != element.end() && member->is_object())
            TFieldEngine::LoadRecord(*member, group.value());
    }
}

// ---- handlers

void TfrmTabForm::btNovoClick()
{
    FID = -1;
    // A new row starts empty, its groups included.
    TFieldEngine::LimparCampos(FFieldMap);
    ClearGroups();
    LoadCombos();
    panelEdit->ShowModal();
}

void TfrmTabForm::btExcluirClick()
{
    const int index = CurrentIndex();
    if (index < 0)
        return;
    if (ShowMessageBox(kConfirmDelete, TMessageKind::Question) != TMessageResult::Yes)
        return;
    if (index >= static_cast<int>(FValues.size()))
        return;
    FValues.erase(FValues.begin() + index);
    ShowDeletedRow(index);
}

void TfrmTabForm::gridRegistrosDblClick()
{
    const int index = CurrentIndex();
    if (index < 0)
        return;
    const TJson element = FValues.at(static_cast<size_t>(index));
    // The row shows its own values only; options come first so that its keys find them.
    TFieldEngine::LimparCampos(FFieldMap);
    ClearGroups();
    LoadCombos();
    TFieldEngine::LoadRecord(element, FFieldMap);
    if (element.is_object())
        LoadGroups(element);
    FID = index;
    panelEdit->ShowModal();
}

void TfrmTabForm::btGravarClick()
{
    if (QWidget *empty = TFieldEngine::ValidarRequeridos(FRequeridos)) {
        const QString message = QStringLiteral("O campo \"%1\" é obrigatório.").arg(FieldCaption(empty));
        TMessageBox::Show(message, TMessageKind::Information, kGravarCaption);
        empty->setFocus();
        return;
    }
    // The rows may have been replaced while the pop-up was open: then the entry becomes a new row.
    const bool replace = FID >= 0 && FID < static_cast<int>(FValues.size());
    if (replace)
        TFieldEngine::GetRecord(FFieldMap, &FObjects, FValues[static_cast<size_t>(FID)]);
    else
        FValues.push_back(TFieldEngine::GetRecord(FFieldMap, &FObjects));
    panelEdit->Form()->accept();
    if (replace)
        ShowChangedRow(FID);
    else
        ShowAppendedRow();
}

void TfrmTabForm::btCancelarClick()
{
    panelEdit->Form()->reject();
}

QList<QWidget *> TfrmTabForm::PopupFields() const
{
    QList<QWidget *> fields;
    for (QWidget *widget = panelCadastro->nextInFocusChain(); widget && widget != panelCadastro;
         widget = widget->nextInFocusChain()) {
        if (panelCadastro->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled()
            && widget->isVisibleTo(panelEdit_Panel))
            fields << widget;
    }
    return fields;
}

void TfrmTabForm::PrepareKeys()
{
    // The fields are made after the buttons, so the buttons would come first: a blank typed at
    // once would press "Cancelar" and lose the row.
    const QList<QWidget *> fields = PopupFields();
    if (fields.isEmpty())
        return;
    setTabOrder(fields.last(), btGravar);
    setTabOrder(btGravar, btCancelar);
    fields.first()->setFocus(Qt::TabFocusReason);
}

void TfrmTabForm::panelEditShow()
{
    panelCadastro->DoLayout();
    int rows = 0;
    for (const QWidget *child : panelCadastro->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (!child->isHidden())
            rows += child->height() + panelCadastro->VerticalSpace();
    // The panel fills the scroll box's visible area, less the box's padding.
    const int shown = scrollFields->viewport()->height() - 2 * kPanelPadding;
    QDialog *form = panelEdit->Form();
    int height = form->height() + rows - shown;
    if (const QScreen *screen = form->screen())
        height = qMin(height, screen->availableGeometry().height() - 40);
    form->resize(form->width(), qMax(height, panelButtons->height()));
    PrepareKeys();
}
