#include "screens/LookupSearch.h"

#include "convert/TField.h"
#include "convert/TRecordTable.h"
#include "gui/TMessageBox.h"
#include "screens/TfrmPesquisaPadrao.h"
#include "widgets/TLXSearchEdit.h"
#include "widgets/TLXSearchEditConfig.h"

#include <QPointer>

#include <memory>

void ChooseLookupRecord(TLXSearchEdit *edit)
{
    if (!edit)
        return;
    const QPointer<TLXSearchEdit> target(edit); // the modal loop may outlive the edit's screen
    const auto search = std::make_unique<TfrmPesquisaPadrao>();
    search->SetPath(edit->Config()->Resource());
    search->SetKeyFields(edit->Config()->KeyField());
    if (search->ShowModal() != TfrmPesquisaPadrao::mrOk || !target)
        return;
    // The key is taken first: a display field missing from the result raises after it, and the
    // description stays as it was.
    target->setKeyValue(search->Selected());
    if (!target) // a key-change handler may have closed the screen
        return;
    target->setDisplayValue(search->cdsPesquisa()->FieldByName(target->Config()->DisplayField())->AsString());
}

QWidget *ConnectLookupButton(QWidget *control)
{
    if (auto *edit = qobject_cast<TLXSearchEdit *>(control))
        QObject::connect(edit, &TLXSearchEdit::rightButtonClicked, edit,
                         [edit] { ShowErrorsOf([edit] { ChooseLookupRecord(edit); }); });
    return control;
}
