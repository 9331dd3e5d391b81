#include "rest/TRestResult.h"

namespace {

void AddUserMessage(const TJson &error, QStringList &messages)
{
    if (!error.is_object() || !Contains(error, "mensagemUsuario"))
        return;
    const QString text = GetValueText(error, "mensagemUsuario").trimmed();
    if (!text.isEmpty())
        messages << text;
}

} // namespace

QStringList TRestResult::UserMessages() const
{
    QStringList messages;
    if (const TJson *errors = Array())
        for (const TJson &error : *errors)
            AddUserMessage(error, messages);
    else if (const TJson *error = Object())
        AddUserMessage(*error, messages);
    return messages;
}
