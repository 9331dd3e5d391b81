#pragma once

#include "rest/JsonUtils.h"

#include <QString>
#include <QStringList>

#include <optional>

// One answer of the back-end as its handler gets it: the status (-1 when no answer arrived), the
// answer as text, the client's failure text when there was no answer, the record version the
// answer names (its ETag header, as sent), and the answer parsed as JSON when it parsed. GET answers are read as UTF-8 whatever they declare; the other verbs' in
// the character set they declare.
struct TRestResult
{
    // What the screens and combo boxes tell the user when the back-end answers 404.
    static inline const QString NotFoundText = QStringLiteral("Não foi possível contar o registro especificado.");

    int Status = -1;
    QString Text;
    QString Error;
    QByteArray ETag;
    std::optional<TJson> Json;

    bool Answered() const { return Status > 0; }
    bool Is(int status) const { return Status == status; }
    // The parsed answer when it is a JSON array; null otherwise.
    const TJson *Array() const { return Json && Json->is_array() ? &*Json : nullptr; }
    // The parsed answer when it is a JSON object; null otherwise.
    const TJson *Object() const { return Json && Json->is_object() ? &*Json : nullptr; }
    // Every "mensagemUsuario" the answer carries, in order, whatever its status: the back-end's
    // error list (an array of objects) or a single error object. Empty texts are left out.
    QStringList UserMessages() const;
};
