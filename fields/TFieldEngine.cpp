#include "fields/TFieldEngine.h"

#include "app/TdmGlobal.h"
#include "fields/TControlKind.h"
#include "fields/TResourceComboBox.h"
#include "convert/TField.h"
#include "convert/TRecordTable.h"
#include "rest/TMessageBox.h"
#include "screens/TfrmPesquisaPadrao.h"
#include "widgets/TLXColumnConfig.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TLXDateEdit.h"
#include "widgets/TLXSearchEdit.h"
#include "widgets/TLXSearchEditConfig.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <functional>
#include <memory>

namespace {

const QString kDetachedRowsName = QStringLiteral("FieldEngineDetachedRows");

QString Text(const TJson &item, const char *path) { return GetValueText(item, QString::fromLatin1(path)); }
bool Has(const TJson &item, const char *name) { return Contains(item, std::string_view(name)); }

// Places a control in a row: the caption keeps the left, the input control fills the rest.
template <typename T>
T *AddToRow(TLXColumnPanel *row, T *control)
{
    static_cast<QHBoxLayout *>(row->layout())->addWidget(control, qobject_cast<QLabel *>(control) ? 0 : 1);
    return control;
}

void AddCaption(TLXColumnPanel *row, const QString &text)
{
    auto *label = AddToRow(row, new QLabel(text, row));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

TLXColumnPanel *NewRow(QWidget *container)
{
    TLXColumnPanel *row = TFieldEngine::GetItemLayout(container);
    row->SetAutoHeight(true);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return row;
}

TResourceComboBox *NewCombo(TLXColumnPanel *row, const QString &name, const QString &keyField,
                            const QString &displayField, const QString &resource, TResourceType type)
{
    auto *combo = AddToRow(row, new TResourceComboBox(row));
    combo->setObjectName(name);
    combo->SetKeyField(keyField);
    combo->SetDisplayField(displayField);
    combo->SetResource(resource);
    combo->SetResourceType(type);
    combo->ClearSelection();
    return combo;
}

// ---- controls by "tipo", for fields without "resource"

QWidget *NewEditBox(TLXColumnPanel *row, const TJson &)
{
    return AddToRow(row, new QLineEdit(row));
}

QWidget *NewSizedEditBox(TLXColumnPanel *row, const TJson &item)
{
    auto *edit = AddToRow(row, new QLineEdit(row));
    if (Has(item, "tamanho")) {
        const int max = GetValueInt(item, QStringLiteral("tamanho.max"));
        if (max > 0)
            edit->setMaxLength(max);
    }
    return edit;
}

QWidget *NewCheckBox(TLXColumnPanel *row, const TJson &)
{
    return AddToRow(row, new QCheckBox(row));
}

QWidget *NewDateEdit(TLXColumnPanel *row, const TJson &)
{
    return AddToRow(row, new TLXDateEdit(row));
}

QWidget *NewEnumCombo(TLXColumnPanel *row, const TJson &item)
{
    auto *combo = AddToRow(row, new TResourceComboBox(row));
    for (const TJson &value : GetValueArray(item, QStringLiteral("values")))
        combo->AddOption(TComboValue(Text(value, "id"), Text(value, "descricao")));
    return combo;
}

struct TTipoControl
{
    QStringList Tipos;
    QWidget *(*Make)(TLXColumnPanel *row, const TJson &item);
};

// Tried in this order; a "tipo" found in none ("list", "object", unknown) gets no control.
const TTipoControl kTipoControls[] = {
    {{QStringLiteral("long"), QStringLiteral("int"), QStringLiteral("float")}, NewEditBox},
    {{QStringLiteral("string"), QStringLiteral("double")}, NewSizedEditBox},
    {{QStringLiteral("boolean")}, NewCheckBox},
    {{QStringLiteral("localdate")}, NewDateEdit},
    {{QStringLiteral("enum")}, NewEnumCombo},
};

QWidget *NewTipoControl(TLXColumnPanel *row, const QString &tipo, const TJson &item)
{
    for (const TTipoControl &entry : kTipoControls) {
        if (entry.Tipos.contains(tipo)) {
            QWidget *control = entry.Make(row, item);
            control->setObjectName(Text(item, "nome"));
            return control;
        }
    }
    return nullptr;
}

// ---- resource fields

QWidget *NewLookupEdit(TLXColumnPanel *row, const TJson &item)
{
    auto *edit = AddToRow(row, new TLXSearchEdit(row));
    edit->setObjectName(Text(item, "nome"));
    if (dmGlobal && dmGlobal->Images.size() > TdmGlobal::imgSearch)
        edit->SetButtonIcon(dmGlobal->Images.at(TdmGlobal::imgSearch));
    edit->SetKeyValue(QString());
    edit->SetDisplayValue(QString());
    edit->Config()->SetKeyField(Text(item, "id"));
    edit->Config()->SetDisplayField(Text(item, "displayField"));
    edit->Config()->SetResource(Text(item, "resource"));
    QObject::connect(edit, &TLXSearchEdit::OnRightButtonClick, edit,
                     [edit] { ShowErrorsOf([edit] { TFieldEngine::SearchEditButtonClick(edit); }); });
    return edit;
}

std::vector<TResourceParam> ParamsOf(const TJson &item)
{
    std::vector<TResourceParam> params;
    for (const TJson &element : GetValueArray(item, QStringLiteral("params"))) {
        TResourceParam param;
        param.Name = Text(element, "nome");
        param.ParamType = Text(element, "tipo");
        if (Has(element, "origem")) {
            param.Source.Source = Text(element, "origem.source");
            param.Source.Field = Text(element, "origem.field");
        }
        params.push_back(std::move(param));
    }
    return params;
}

// The dependent combo box of a "subObject", on a row of its own under an empty caption.
void AddSubObjectCombo(QWidget *container, TResourceComboBox *main, const TJson &item)
{
    TLXColumnPanel *row = NewRow(container);
    AddCaption(row, QString());
    main->SetSubObject(NewCombo(row, Text(item, "nome"), Text(item, "subObject.id"), Text(item, "subObject.displayField"),
                                Text(item, "subObject.resource"), rtLocal));
}

QWidget *NewRemoteCombo(QWidget *container, TLXColumnPanel *row, const TJson &item)
{
    const bool hasSubObject = Has(item, "subObject");
    QString resource = Text(item, "resource");
    if (Has(item, "method"))
        resource += Text(item, "method");
    const QString name = Text(item, "nome") + (hasSubObject ? QStringLiteral("Root") : QString());
    TResourceComboBox *combo = NewCombo(row, name, Text(item, "id"), Text(item, "displayField"), resource, rtRemote);
    if (Has(item, "params"))
        combo->Params() = ParamsOf(item);
    else
        combo->Load();
    if (hasSubObject)
        AddSubObjectCombo(container, combo, item);
    return combo;
}

QWidget *NewResourceControl(QWidget *container, TLXColumnPanel *row, const TJson &item)
{
    if (Text(item, "type") != QLatin1String("REMOTE"))
        return NewCombo(row, Text(item, "nome"), Text(item, "id"), Text(item, "displayField"), Text(item, "resource"), rtLocal);
    const bool lookup = GetValueInt(item, QStringLiteral("count")) > TFieldEngine::MaxComboRecords
        && !Has(item, "params") && !Has(item, "subObject");
    return lookup ? NewLookupEdit(row, item) : NewRemoteCombo(container, row, item);
}

// A hidden child of the container that keeps detached rows alive with it; not a column panel,
// so the container neither places nor styles what it holds.
QWidget *DetachedRows(QWidget *container)
{
    if (auto *holder = container->findChild<QWidget *>(kDetachedRowsName, Qt::FindDirectChildrenOnly))
        return holder;
    auto *holder = new QWidget(container);
    holder->setObjectName(kDetachedRowsName);
    holder->hide();
    return holder;
}

// Runs action for every live control the engine knows how to bind.
void ForEachBound(const TFieldMap &fieldMap, const std::function<void(QWidget *, const TControlKind &)> &action)
{
    for (QWidget *control : fieldMap)
        if (const TControlKind *kind = TControlKind::Of(control))
            action(control, *kind);
}

} // namespace

TLXColumnPanel *TFieldEngine::GetItemLayout(QWidget *Owner)
{
    auto *row = new TLXColumnPanel(Owner);
    TLXColumnConfig *config = row->Config();
    config->SetSmall(24);
    config->SetMedium(24);
    config->SetLarge(24);
    config->SetExtraLarge(24);
    return row;
}

QWidget *TFieldEngine::FillFields(QWidget *Container, const TJson &Item)
{
    TLXColumnPanel *row = NewRow(Container);
    AddCaption(row, Text(Item, "label") + QLatin1Char(':'));
    const QString tipo = Text(Item, "tipo").toLower();
    QWidget *control = Has(Item, "resource") ? NewResourceControl(Container, row, Item) : NewTipoControl(row, tipo, Item);
    if (Has(Item, "idField"))
        row->setParent(DetachedRows(Container));
    return control;
}

TLXColumnPanel *TFieldEngine::RowOf(const QWidget *control)
{
    return control ? qobject_cast<TLXColumnPanel *>(control->parentWidget()) : nullptr;
}

bool TFieldEngine::IsRowDetached(const QWidget *control)
{
    const TLXColumnPanel *row = RowOf(control);
    return row && row->parentWidget() && row->parentWidget()->objectName() == kDetachedRowsName;
}

void TFieldEngine::AttachRow(QWidget *control)
{
    if (!IsRowDetached(control))
        return;
    TLXColumnPanel *row = RowOf(control);
    QWidget *container = row->parentWidget()->parentWidget();
    row->setParent(container);
    row->show();
    row->LayoutTopPanel();
}

TJson TFieldEngine::GetRecord(const TFieldMap &FieldMap, const TGroupMap *Objects)
{
    TJson result = TJson::object();
    return GetRecord(FieldMap, Objects, result);
}

TJson &TFieldEngine::GetRecord(const TFieldMap &FieldMap, const TGroupMap *Objects, TJson &Data)
{
    Data = TJson::object();
    ForEachBound(FieldMap, [&Data](QWidget *control, const TControlKind &kind) {
        Data[kind.MemberName(control).toStdString()] = kind.Read(control);
    });
    if (!Objects)
        return Data;
    for (auto group = Objects->cbegin(); group != Objects->cend(); ++group) {
        TJson object = GetRecord(group.value());
        if (!isObjectEmpty(object))
            Data[group.key().toStdString()] = std::move(object);
    }
    return Data;
}

void TFieldEngine::LoadRecord(const TJson *Json, const TFieldMap &FieldMap)
{
    if (!Json || !Json->is_object())
        return;
    ForEachBound(FieldMap, [Json](QWidget *control, const TControlKind &kind) {
        const auto member = Json->find(kind.MemberName(control).toStdString());
        if (member != Json->end())
            kind.Write(control, *member);
    });
}

void TFieldEngine::LimparCampos(const TFieldMap &FieldMap)
{
    ForEachBound(FieldMap, [](QWidget *control, const TControlKind &kind) { kind.Clear(control); });
}

bool TFieldEngine::isObjectEmpty(const TJson &Value)
{
    if (!Value.is_object())
        return true;
    for (const TJson &member : Value) {
        if (member.is_null())
            return false; // null reads as "null"
        if (!member.is_structured() && !JsonValueText(member).isEmpty())
            return false;
    }
    return true;
}

QWidget *TFieldEngine::ValidarRequeridos(const TRequiredMap &Values)
{
    for (const auto &[control, required] : Values) {
        if (!required)
            continue;
        const TControlKind *kind = TControlKind::Of(control);
        if (kind && kind->IsEmpty(control))
            return control;
    }
    return nullptr;
}

void TFieldEngine::SearchEditButtonClick(TLXSearchEdit *Sender)
{
    if (!Sender)
        return;
    const QPointer<TLXSearchEdit> edit(Sender); // the modal loop may outlive the edit's screen
    const auto search = std::make_unique<TfrmPesquisaPadrao>();
    search->SetPath(Sender->Config()->Resource());
    search->SetKeyFields(Sender->Config()->KeyField());
    if (search->ShowModal() != TfrmPesquisaPadrao::mrOk || !edit)
        return;
    // The key is taken first: a display field missing from the result raises after it, and the
    // description stays as it was.
    edit->SetKeyValue(search->Selected());
    if (!edit) // a key-change handler may have closed the screen
        return;
    edit->SetDisplayValue(search->cdsPesquisa()->FieldByName(edit->Config()->DisplayField())->AsString());
}

void TFieldEngine::AppendToFieldMap(TFieldMap &FieldMap, QWidget *Control)
{
    if (!Control)
        return;
    FieldMap.append(Control);
    if (auto *combo = qobject_cast<TResourceComboBox *>(Control); combo && combo->SubObject())
        FieldMap.append(combo->SubObject());
}
