#include "rest/TCredentials.h"

#include "rest/RestLog.h"

#include <algorithm>

namespace {

bool HasControlCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

// The scheme names of a challenge list ("Basic realm=\"a\", Bearer"): the first word of each
// comma-separated item that is no parameter. A comma inside a quoted value yields a stray item,
// which names no scheme.
QByteArrayList SchemesOf(const QByteArray &challenge)
{
    QByteArrayList schemes;
    for (const QByteArray &item : challenge.split(',')) {
        const QByteArray word = item.trimmed().split(' ').value(0);
        if (!word.isEmpty() && !word.contains('='))
            schemes.append(word.toLower());
    }
    return schemes;
}

} // namespace

TCredentials TCredentials::Basic(const QString &user, const QString &password)
{
    TCredentials credentials;
    credentials.Scheme = TScheme::Basic;
    credentials.User = user;
    credentials.Password = password;
    return credentials;
}

TCredentials TCredentials::Bearer(const QString &token)
{
    TCredentials credentials;
    credentials.Scheme = TScheme::Bearer;
    credentials.Token = token;
    return credentials;
}

QByteArray TCredentials::AuthorizationHeader() const
{
    switch (Scheme) {
    case TScheme::None: return {};
    case TScheme::Basic: return "Authorization: Basic " + (User + QLatin1Char(':') + Password).toUtf8().toBase64();
    case TScheme::Bearer:
        if (Token.isEmpty())
            return {};
        if (HasControlCharacter(Token)) {
            qCWarning(lcRest) << "the token holds a line break or another control character: it is not sent";
            return {};
        }
        return "Authorization: Bearer " + Token.toUtf8();
    }
    return {};
}

TCredentials::TScheme TCredentials::SchemeAsked(const QByteArrayList &challenges)
{
    QByteArrayList schemes;
    for (const QByteArray &challenge : challenges)
        schemes += SchemesOf(challenge);
    if (schemes.contains("basic"))
        return TScheme::Basic;
    if (schemes.contains("bearer"))
        return TScheme::Bearer;
    return TScheme::None;
}
