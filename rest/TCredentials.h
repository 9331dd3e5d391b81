#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

// What one request signs in with: nothing, a Bearer token, or a user and password for Basic. A
// plain value held in memory only; AuthorizationHeader() is the one place it becomes text that
// travels, and nothing here writes or logs it.
class TCredentials final
{
public:
    enum class TScheme { None, Basic, Bearer };

    TScheme Scheme = TScheme::None;
    QString User;     // Basic
    QString Password; // Basic
    QString Token;    // Bearer

    static TCredentials Basic(const QString &user, const QString &password);
    static TCredentials Bearer(const QString &token);

    // The "Authorization: ..." line a request carries; empty for none, and for a token holding a
    // line break or another control character (it would end the header early), which leaves a
    // warning without the token.
    QByteArray AuthorizationHeader() const;

    // The scheme a 401's WWW-Authenticate values ask for that the program can answer: Basic before
    // Bearer; None when they name neither.
    static TScheme SchemeAsked(const QByteArrayList &challenges);
};
