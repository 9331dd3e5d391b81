#include "fields/TFieldEngine.h"

#include "gui/TIcons.h"
#include "fields/TControlKind.h"
#include "fields/TLookupDescription.h"
#include "fields/TResourceComboBox.h"
#include "convert/TField.h"
#include "convert/TRecordTable.h"
#include "gui/TMessageBox.h"
#include "widgets/TLXColumnConfig.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TLXDateEdit.h"
#include "widgets/TLXSearchEdit.h"
#include "widgets/TLXSearchEditConfig.h"

#include <QCheckBox>
#include <QDoubleValidator>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <functional>
#include <memory>
#include <string_view>
#include <unordered_map>

namespace {

const QString kDetachedRowsName = QStringLiteral("FieldEngineDetachedRows");


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
    row->setAutoHeight(true);
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
    if (Contains(item, "tamanho")) {
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
        combo->AddOption(TComboValue(GetValueText(value, "id"), GetValueText(value, "descricao")));
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

// ---- number fields refuse what is not a number as it is typed

const QStringList kIntegerTipos = {QStringLiteral("long"), QStringLiteral("int")};
const QStringList kDecimalTipos = {QStringLiteral("float"), QStringLiteral("double")};

// A decimal number in the user's locale (decimal comma in pt_BR), without group separators, so
// that the text always reads back as one number (TControlKind converts it for the record).
QValidator *NewDecimalValidator(QObject *parent)
{
    auto *validator = new QDoubleValidator(parent);
    validator->setNotation(QDoubleValidator::StandardNotation);
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    validator->setLocale(locale);
    return validator;
}

// Digits with an optional sign; wider than QIntValidator, which stops at 32 bits.
QValidator *NewIntegerValidator(QObject *parent)
{
    return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,19}")), parent);
}

void AddNumberValidator(QWidget *control, const QString &tipo)
{
    auto *edit = qobject_cast<QLineEdit *>(control);
    if (!edit)
        return;
    if (kIntegerTipos.contains(tipo))
        edit->setValidator(NewIntegerValidator(edit));
    else if (kDecimalTipos.contains(tipo))
        edit->setValidator(NewDecimalValidator(edit));
}

QWidget *NewTipoControl(TLXColumnPanel *row, const QString &tipo, const TJson &item)
{
    for (const TTipoControl &entry : kTipoControls) {
        if (entry.Tipos.contains(tipo)) {
            QWidget *control = entry.Make(row, item);
            control->setObjectName(GetValueText(item, "nome"));
            AddNumberValidator(control, tipo);
            return control;
        }
    }
    return nullptr;
}

// ---- resource fields

QWidget *NewLookupEdit(TLXColumnPanel *row, const TJson &item)
{
    auto *edit = AddToRow(row, new TLXSearchEdit(row));
    edit->setObjectName(GetValueText(item, "nome"));
    edit->setButtonIcon(TIcons::Of(TIcon::Search));
    edit->setKeyValue(QString());
    edit->setDisplayValue(QString());
    edit->Config()->setKeyField(GetValueText(item, "id"));
    edit->Config()->setDisplayField(GetValueText(item, "displayField"));
    edit->Config()->setResource(GetValueText(item, "resource"));
    TLookupDescription::Follow(edit); // what is shown beside a typed key is that key's description
    return edit;
}

std::vector<TResourceParam> ParamsOf(const TJson &item)
{
    std::vector<TResourceParam> params;
    for (const TJson &element : GetValueArray(item, QStringLiteral("params"))) {
        TResourceParam param;
        param.Name = GetValueText(element, "nome");
        param.ParamType = GetValueText(element, "tipo");
        if (Contains(element, "origem")) {
            param.Source.Source = GetValueText(element, "origem.source");
            param.Source.Field = GetValueText(element, "origem.field");
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
    main->SetSubObject(NewCombo(row, GetValueText(item, "nome"), GetValueText(item, "subObject.id"), GetValueText(item, "subObject.displayField"),
                                GetValueText(item, "subObject.resource"), rtLocal));
}

QWidget *NewRemoteCombo(QWidget *container, TLXColumnPanel *row, const TJson &item)
{
    const bool hasSubObject = Contains(item, "subObject");
    QString resource = GetValueText(item, "resource");
    if (Contains(item, "method"))
        resource += GetValueText(item, "method");
    const QString name = GetValueText(item, "nome") + (hasSubObject ? QStringLiteral("Root") : QString());
    TResourceComboBox *combo = NewCombo(row, name, GetValueText(item, "id"), GetValueText(item, "displayField"), resource, rtRemote);
    if (Contains(item, "params"))
        combo->Params() = ParamsOf(item);
    else
        combo->Load();
    if (hasSubObject)
        AddSubObjectCombo(container, combo, item);
    return combo;
}

QWidget *NewResourceControl(QWidget *container, TLXColumnPanel *row, const TJson &item)
{
    if (GetValueText(item, "type") != QLatin1String("REMOTE"))
        return NewCombo(row, GetValueText(item, "nome"), GetValueText(item, "id"), GetValueText(item, "displayField"), GetValueText(item, "resource"), rtLocal);
    const bool lookup = GetValueInt(item, QStringLiteral("count")) > TFieldEngine::MaxComboRecords
        && !Contains(item, "params") && !Contains(item, "subObject");
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

using TMemberIndex = std::unordered_map<std::string_view, const TJson *>;

// A record object's members by name; of a name given twice the first counts, as a lookup in the
// object finds it.
TMemberIndex IndexMembers(const TJson &object)
{
    TMemberIndex members;
    members.reserve(object.size());
    for (auto member = object.cbegin(); member != object.cend(); ++member)
        members.emplace(member.key(), &member.value());
    return members;
}

// Fills a record object member by member in the order given. A name given twice keeps its first
// place and takes the last value, as assigning through the object's operator[] does, but without
// scanning the object for every member.
class TMemberAppender final
{
public:
    explicit TMemberAppender(TJson &object) : FMembers(object.get_ref<TJson::object_t &>()) {}

    void Put(std::string name, TJson value)
    {
        const auto [placed, added] = FPlaces.try_emplace(std::move(name), FMembers.size());
        if (added)
            FMembers.TJson::object_t::Container::emplace_back(placed->first, std::move(value));
        else
            (FMembers.begin() + std::ptrdiff_t(placed->second))->second = std::move(value);
    }

private:
    TJson::object_t &FMembers;
    std::unordered_map<std::string, std::size_t> FPlaces;
};

} // namespace

TLXColumnPanel *TFieldEngine::GetItemLayout(QWidget *Owner)
{
    auto *row = new TLXColumnPanel(Owner);
    TLXColumnConfig *config = row->Config();
    config->setSmall(24);
    config->setMedium(24);
    config->setLarge(24);
    config->setExtraLarge(24);
    return row;
}

QWidget *TFieldEngine::FillFields(QWidget *Container, const TJson &Item)
{
    TLXColumnPanel *row = NewRow(Container);
    AddCaption(row, GetValueText(Item, "label") + QLatin1Char(':'));
    const QString tipo = GetValueText(Item, "tipo").toLower();
    QWidget *control = Contains(Item, "resource") ? NewResourceControl(Container, row, Item) : NewTipoControl(row, tipo, Item);
    if (Contains(Item, "idField"))
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
    TMemberAppender members(Data);
    ForEachBound(FieldMap, [&members](QWidget *control, const TControlKind &kind) {
        members.Put(kind.MemberName(control).toStdString(), kind.Read(control));
    });
    if (!Objects)
        return Data;
    for (auto group = Objects->cbegin(); group != Objects->cend(); ++group) {
        TJson object = GetRecord(group.value());
        if (!isObjectEmpty(object))
            members.Put(group.key().toStdString(), std::move(object));
    }
    return Data;
}

void TFieldEngine::LoadRecord(const TJson *Json, const TFieldMap &FieldMap)
{
    if (!Json || !Json->is_object())
        return;
    // The members by name, read once: finding each control's member in the ordered object would
    // scan it once per control.
    const TMemberIndex members = IndexMembers(*Json);
    ForEachBound(FieldMap, [&members](QWidget *control, const TControlKind &kind) {
        const auto member = members.find(kind.MemberName(control).toStdString());
        if (member != members.end())
            kind.Write(control, *member->second);
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

void TFieldEngine::AppendToFieldMap(TFieldMap &FieldMap, QWidget *Control)
{
    if (!Control)
        return;
    FieldMap.append(Control);
    if (auto *combo = qobject_cast<TResourceComboBox *>(Control); combo && combo->SubObject())
        FieldMap.append(combo->SubObject());
}
