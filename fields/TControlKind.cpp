#include "fields/TControlKind.h"

#include "fields/IDetailListEditor.h"
#include "fields/TLookupDescription.h"
#include "fields/TResourceComboBox.h"
#include "widgets/TLXDateEdit.h"
#include "widgets/TLXSearchEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleValidator>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>

namespace {

template <typename T>
T *As(QWidget *control) { return qobject_cast<T *>(control); }
template <typename T>
const T *As(const QWidget *control) { return qobject_cast<const T *>(control); }

const IDetailListEditor *DetailList(const QWidget *control) { return dynamic_cast<const IDetailListEditor *>(control); }
IDetailListEditor *DetailList(QWidget *control) { return dynamic_cast<IDetailListEditor *>(control); }

// ---- locking

// A disabled control draws its text with the colours of an enabled one, so a locked record stays
// easy to read.
void KeepTextReadable(QWidget *c)
{
    QPalette palette = c->palette();
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText, QPalette::Base,
             QPalette::Button, QPalette::Window, QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
    c->setPalette(palette);
}

void DisableReadably(QWidget *c, bool locked)
{
    if (locked)
        KeepTextReadable(c);
    c->setEnabled(!locked);
}

// ---- edit box: its text, saved as a string whatever the field's type. A number field (one with a
// QDoubleValidator) shows its value in the validator's locale and saves it in the record's own
// form ("1234.5"); text the locale cannot read is saved as typed.

const QDoubleValidator *DecimalValidator(const QWidget *c)
{
    return qobject_cast<const QDoubleValidator *>(As<QLineEdit>(c)->validator());
}

bool IsEditBox(const QWidget *c) { return As<QLineEdit>(c) && !As<TLXSearchEdit>(c); }
void ClearEditBox(QWidget *c) { As<QLineEdit>(c)->clear(); }

TJson ReadEditBox(const QWidget *c)
{
    const QString text = As<QLineEdit>(c)->text();
    bool isNumber = false;
    const double value = DecimalValidator(c) ? DecimalValidator(c)->locale().toDouble(text, &isNumber) : 0;
    return (isNumber ? QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest) : text).toStdString();
}

void WriteEditBox(QWidget *c, const TJson &m)
{
    const QString text = JsonValueText(m);
    bool isNumber = false;
    const double value = DecimalValidator(c) ? QLocale::c().toDouble(text, &isNumber) : 0;
    As<QLineEdit>(c)->setText(
        isNumber ? DecimalValidator(c)->locale().toString(value, 'f', QLocale::FloatingPointShortest) : text);
}

bool EditBoxEmpty(const QWidget *c) { return As<QLineEdit>(c)->text().isEmpty(); }

void LockEditBox(QWidget *c, bool locked)
{
    c->setEnabled(true);
    As<QLineEdit>(c)->setReadOnly(locked);
}

// ---- check box: a boolean

bool IsCheckBox(const QWidget *c) { return As<QCheckBox>(c); }
void ClearCheckBox(QWidget *c) { As<QCheckBox>(c)->setChecked(false); }
TJson ReadCheckBox(const QWidget *c) { return As<QCheckBox>(c)->isChecked(); }
void WriteCheckBox(QWidget *c, const TJson &m) { As<QCheckBox>(c)->setChecked(GetValueBool(m, QString())); }
bool CheckBoxEmpty(const QWidget *) { return false; }

// ---- lookup edit: the key is saved; its description comes from the server after the load

bool IsLookupEdit(const QWidget *c) { return As<TLXSearchEdit>(c); }

void ClearLookupEdit(QWidget *c)
{
    auto *edit = As<TLXSearchEdit>(c);
    TLookupDescription::Forget(edit);
    edit->setKeyValue(QString());
    edit->setDisplayValue(QString());
}

TJson ReadLookupEdit(const QWidget *c) { return As<TLXSearchEdit>(c)->KeyValue().toStdString(); }

// The key shows at once; its description is written when the server's answer comes. A key other
// than the one shown loses the previous description, so nothing describes the wrong record.
void WriteLookupEdit(QWidget *c, const TJson &m)
{
    auto *edit = As<TLXSearchEdit>(c);
    const QString key = JsonValueText(m);
    if (key.isEmpty()) { // a record without this reference: nothing to look up
        ClearLookupEdit(c);
        return;
    }
    const int id = GetValueInt(m, QString());
    if (key != edit->KeyValue())
        edit->setDisplayValue(QString());
    edit->setKeyValue(key);
    TLookupDescription::Fetch(edit, id);
}

bool LookupEditEmpty(const QWidget *c) { return As<TLXSearchEdit>(c)->KeyValue().isEmpty(); }

// ---- date edit: "yyyy-MM-dd", or null when empty

bool IsDateEdit(const QWidget *c) { return As<TLXDateEdit>(c); }
void ClearDateEdit(QWidget *c) { As<TLXDateEdit>(c)->clear(); }
bool DateEditEmpty(const QWidget *c) { return As<TLXDateEdit>(c)->IsEmpty(); }

TJson ReadDateEdit(const QWidget *c)
{
    if (DateEditEmpty(c))
        return nullptr;
    return As<TLXDateEdit>(c)->date().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
}

// The record's text is read in its own fixed form, never through the user's date settings;
// anything after the date (a time of day) is ignored.
void WriteDateEdit(QWidget *c, const TJson &m)
{
    const QString text = JsonValueText(m);
    if (text.isEmpty()) {
        ClearDateEdit(c);
        return;
    }
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        throw EJsonException(QStringLiteral("'%1' is not a valid date").arg(text));
    As<TLXDateEdit>(c)->setDate(date);
}

// ---- combo box: the selected option's key ("" when none)

bool IsComboBox(const QWidget *c) { return As<QComboBox>(c); }

void ClearComboBox(QWidget *c)
{
    if (auto *resource = As<TResourceComboBox>(c)) {
        resource->ClearSelection();
        return;
    }
    auto *combo = As<QComboBox>(c);
    combo->setCurrentIndex(-1);
    combo->setCurrentText(QString());
}

QString ComboKey(const QWidget *c)
{
    if (const auto *resource = As<TResourceComboBox>(c))
        return resource->SelectedKey();
    const auto *combo = As<QComboBox>(c);
    if (combo->currentIndex() < 0)
        return QString();
    const QVariant data = combo->currentData();
    return data.isValid() ? data.toString() : combo->currentText();
}

TJson ReadComboBox(const QWidget *c) { return ComboKey(c).toStdString(); }

void WriteComboBox(QWidget *c, const TJson &m)
{
    const QString key = JsonValueText(m);
    if (auto *resource = As<TResourceComboBox>(c)) {
        resource->SelectKey(key);
        return;
    }
    auto *combo = As<QComboBox>(c);
    int index = combo->findData(key);
    if (index < 0)
        index = combo->findText(key);
    combo->setCurrentIndex(index);
}

bool ComboBoxEmpty(const QWidget *c) { return ComboKey(c).isEmpty(); }

// ---- detail-list editor: its rows, under its FieldName

bool IsDetailList(const QWidget *c) { return DetailList(c); }
// An emptied screen must not carry the previous record's rows into a new one; the empty array is
// handed over, not copied.
void ClearDetailList(QWidget *c) { DetailList(c)->SetValues(TJson::array()); }
TJson ReadDetailList(const QWidget *c) { return DetailList(c)->Values(); }
void WriteDetailList(QWidget *c, const TJson &m) { DetailList(c)->SetValues(GetValueArray(m, QString())); }
bool DetailListEmpty(const QWidget *) { return false; }

constexpr TControlKind kKinds[] = {
    {TControlKind::ckEditBox, IsEditBox, ClearEditBox, ReadEditBox, WriteEditBox, EditBoxEmpty, LockEditBox},
    {TControlKind::ckCheckBox, IsCheckBox, ClearCheckBox, ReadCheckBox, WriteCheckBox, CheckBoxEmpty, DisableReadably},
    {TControlKind::ckLookupEdit, IsLookupEdit, ClearLookupEdit, ReadLookupEdit, WriteLookupEdit, LookupEditEmpty,
        DisableReadably},
    {TControlKind::ckDateEdit, IsDateEdit, ClearDateEdit, ReadDateEdit, WriteDateEdit, DateEditEmpty, DisableReadably},
    {TControlKind::ckComboBox, IsComboBox, ClearComboBox, ReadComboBox, WriteComboBox, ComboBoxEmpty, DisableReadably},
    {TControlKind::ckDetailList, IsDetailList, ClearDetailList, ReadDetailList, WriteDetailList, DetailListEmpty,
        DisableReadably},
};

} // namespace

const TControlKind *TControlKind::Of(const QWidget *control)
{
    if (!control)
        return nullptr;
    for (const TControlKind &kind : kKinds)
        if (kind.FMatch(control))
            return &kind;
    return nullptr;
}

QDate TControlKind::ZeroDate()
{
    return TLXDateEdit::EmptyDate();
}

QString TControlKind::MemberName(const QWidget *control) const
{
    return FKind == ckDetailList ? DetailList(control)->FieldName() : control->objectName();
}

void TControlKind::Clear(QWidget *control) const { FClear(control); }
TJson TControlKind::Read(const QWidget *control) const { return FRead(control); }
void TControlKind::Write(QWidget *control, const TJson &member) const { FWrite(control, member); }
bool TControlKind::IsEmpty(const QWidget *control) const { return FIsEmpty(control); }
void TControlKind::Lock(QWidget *control, bool locked) const
{
    FLock(control, locked);
}

bool TControlKind::IsLocked(const QWidget *control)
{
    const auto *edit = As<QLineEdit>(control);
    return !control->isEnabled() || (edit && edit->isReadOnly());
}
