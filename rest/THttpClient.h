#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>
#include <stdexcept>

// What one HTTP exchange gave: the status, headers and body of any answer (the last one when
// redirects were followed), or Status -1 and the client's failure text when no answer arrived: a
// Portuguese sentence naming the server (scheme://host:port); only the certificate texts add
// curl's reason.
struct THttpResponse
{
    int Status = -1;
    QByteArray Body;
    QByteArray ContentType;
    QList<QPair<QByteArray, QByteArray>> Headers; // names as sent, values trimmed
    QString Error;

    bool Answered() const { return Status > 0; }
    // The value of the first header of that name (any letter case); empty when there is none.
    QByteArray Header(QByteArrayView name) const;
    // The body as text in the character set the answer declares (UTF-8 when it declares none).
    QString DeclaredText() const;
};

// Raised by the synchronous callers that treat "no answer" as an error (the formatting service).
class EHttpClientError final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One libcurl easy handle, made at the first request. Fresh per request for the verbs; the
// formatting client keeps one for its cookies. Redirects are not followed and no time-out applies
// unless asked for. Answers larger than MaxBodyBytes are dropped and count as no answer.
class THttpClient final
{
public:
    static constexpr qint64 MaxBodyBytes = 64LL * 1024 * 1024;
    using TFormFields = QList<QPair<QString, QString>>;

    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient &) = delete;
    THttpClient &operator=(const THttpClient &) = delete;

    QByteArray ContentType = "application/json;charset=utf-8";
    QByteArray Accept;           // empty: the client's default
    QByteArrayList Headers;      // further request header lines, "Name: value"; one holding a line break is not sent
    int ConnectTimeoutMs = 0;    // bound of connecting; 0: curl's default
    int ResponseTimeoutMs = 0;   // bound of the whole request, connecting included; 0: none
    bool FollowRedirects = false;
    bool KeepCookies = false;
    // Empty: the system's trust store. Otherwise this file replaces curl's default bundle file;
    // curl's default directory of authorities, where it has one (/etc/ssl/certs), stays trusted.
    QString CaCertificateFile;

    THttpResponse Get(const QString &url);
    THttpResponse Post(const QString &url, const QByteArray &body);
    THttpResponse Put(const QString &url, const QByteArray &body);
    THttpResponse Delete(const QString &url);
    // A URL-encoded form (UTF-8, blanks as '+'); fields with an empty value are left out.
    THttpResponse PostForm(const QString &url, const TFormFields &fields);

    static QByteArray EncodeForm(const TFormFields &fields);
    // What a request that reached no server says (server: scheme://host:port).
    static QString NotConnectedText(const QString &server);

private:
    THttpResponse Perform(const char *method, const QString &url, const QByteArray *body);

    struct TCurlHandle;
    std::unique_ptr<TCurlHandle> FHandle;
};
