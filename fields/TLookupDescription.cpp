#include "fields/TLookupDescription.h"

#include "fields/FieldsLog.h"
#include "rest/TApiPaths.h"
#include "rest/THttpVerbs.h"
#include "widgets/InvalidMark.h"
#include "widgets/TLXSearchEdit.h"
#include "widgets/TLXSearchEditConfig.h"

namespace {

// The server has no record for the key: it says so, or answers nothing in place of the record.
bool NoRecord(const TRestResult &answer)
{
    if (answer.Is(404))
        return true;
    if (!answer.Is(200))
        return false;
    const TJson *record = answer.Object();
    return answer.Text.trimmed().isEmpty() || (answer.Json && answer.Json->is_null()) || (record && record->empty());
}

} // namespace

TLookupDescription::TLookupDescription(TLXSearchEdit *edit) : QObject(edit)
{
    // Any new key, chosen, typed, loaded or cleared, starts unmarked.
    connect(edit, &TLXSearchEdit::keyChanged, this, [edit] { MarkInvalid(edit, false); });
}

TLookupDescription *TLookupDescription::Find(TLXSearchEdit *edit)
{
    return edit->findChild<TLookupDescription *>(QString(), Qt::FindDirectChildrenOnly);
}

TLookupDescription *TLookupDescription::Of(TLXSearchEdit *edit)
{
    TLookupDescription *self = Find(edit);
    return self ? self : new TLookupDescription(edit);
}

TLXSearchEdit *TLookupDescription::Edit() const
{
    return static_cast<TLXSearchEdit *>(parent());
}

void TLookupDescription::Fetch(TLXSearchEdit *edit, int id)
{
    TLookupDescription *self = Of(edit);
    const QString path = TApiPaths::Record(edit->Config()->Resource(), qint64(id));
    THttpVerbs::Get(path, self, self->FLatest.Replace([self, path, key = edit->KeyValue()](const TRestResult &answer) {
        self->Show(path, key, answer);
    }));
}

void TLookupDescription::Forget(TLXSearchEdit *edit)
{
    // A newer request that is never sent: whatever is in flight is then an older one.
    if (TLookupDescription *self = Find(edit))
        self->FLatest.Replace({});
}

void TLookupDescription::Follow(TLXSearchEdit *edit)
{
    TLookupDescription *self = Of(edit);
    connect(edit, &TLXSearchEdit::keyTyped, self, &TLookupDescription::KeyTyped, Qt::UniqueConnection);
}

// The description of the previous key must not stay beside the new one, even for a moment.
void TLookupDescription::KeyTyped()
{
    TLXSearchEdit *edit = Edit();
    FLatest.Replace({});
    edit->setDisplayValue(QString());
    if (edit->KeyValue().isEmpty())
        return;
    bool isNumber = false;
    const int id = edit->KeyValue().trimmed().toInt(&isNumber, 10);
    if (!isNumber) { // no record has such a key
        MarkInvalid(edit);
        return;
    }
    Fetch(edit, id);
}

void TLookupDescription::Show(const QString &path, const QString &key, const TRestResult &answer)
{
    TLXSearchEdit *edit = Edit();
    if (edit->KeyValue() != key) // the user chose or typed another key meanwhile
        return;
    if (NoRecord(answer)) {
        qCWarning(lcFields).noquote() << "no record answers" << path << answer.Status;
        MarkInvalid(edit);
        return;
    }
    if (!answer.Is(200)) {
        qCWarning(lcFields).noquote() << "the description of" << path << "did not come:" << answer.Status
                                      << answer.Error;
        return;
    }
    const QString displayField = edit->Config()->DisplayField();
    try {
        edit->setDisplayValue(GetValueText(answer.Object() ? *answer.Object() : TJson::object(), displayField));
    } catch (const EJsonException &error) {
        // The edit keeps showing the key.
        qCWarning(lcFields).noquote() << "the description of" << path << "cannot be read:" << error.what();
    }
}
