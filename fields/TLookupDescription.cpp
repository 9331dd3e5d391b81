#include "fields/TLookupDescription.h"

#include "fields/FieldsLog.h"
#include "rest/TApiPaths.h"
#include "rest/THttpVerbs.h"
#include "widgets/TLXSearchEdit.h"
#include "widgets/TLXSearchEditConfig.h"

TLookupDescription::TLookupDescription(TLXSearchEdit *edit) : QObject(edit)
{ }

TLookupDescription *TLookupDescription::Find(TLXSearchEdit *edit)
{
    return edit->findChild<TLookupDescription *>(QString(), Qt::FindDirectChildrenOnly);
}

TLXSearchEdit *TLookupDescription::Edit() const
{
    return static_cast<TLXSearchEdit *>(parent());
}

void TLookupDescription::Fetch(TLXSearchEdit *edit, int id)
{
    TLookupDescription *self = Find(edit);
    if (!self)
        self = new TLookupDescription(edit);
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

void TLookupDescription::Show(const QString &path, const QString &key, const TRestResult &answer)
{
    TLXSearchEdit *edit = Edit();
    if (edit->KeyValue() != key) // the user chose or typed another key meanwhile
        return;
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
