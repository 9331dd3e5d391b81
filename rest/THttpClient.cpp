#include "rest/THttpClient.h"

#include "rest/RestLog.h"
#include "rest/TRequestPool.h"

#include <QByteArrayList>
#include <QStringDecoder>
#include <QUrl>

#include <curl/curl.h>

#include <mutex>

namespace {

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The answer arrives in pieces that are joined once at the end: a growing buffer would double
// its capacity (and copy) on the way, so an answer cut at the cap would cost about twice the cap.
struct TTransfer
{
    QByteArrayList pieces;
    qint64 size = 0;
    bool tooLarge = false;

    QByteArray Body() const
    {
        if (pieces.size() == 1)
            return pieces.front();
        QByteArray body;
        body.reserve(qsizetype(size));
        for (const QByteArray &piece : pieces)
            body.append(piece);
        return body;
    }
};

size_t WriteBody(char *data, size_t size, size_t count, void *user)
{
    auto *transfer = static_cast<TTransfer *>(user);
    const size_t bytes = size * count;
    if (transfer->size + qint64(bytes) > THttpClient::MaxBodyBytes) {
        transfer->tooLarge = true;
        return 0; // makes curl stop with a write error
    }
    transfer->pieces.append(QByteArray(data, qsizetype(bytes)));
    transfer->size += qint64(bytes);
    return bytes;
}

// Keeps the header lines of the answer; a new status line (a redirect's next answer, or the
// final answer after "100 Continue") starts them afresh.
size_t ReadHeader(char *data, size_t size, size_t count, void *user)
{
    auto *headers = static_cast<QList<QPair<QByteArray, QByteArray>> *>(user);
    const size_t bytes = size * count;
    const QByteArray line = QByteArray(data, qsizetype(bytes)).trimmed();
    if (line.startsWith("HTTP/")) {
        headers->clear();
    } else if (const qsizetype colon = line.indexOf(':'); colon > 0) {
        headers->append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    return bytes;
}

// Lets a quitting program end transfers that would otherwise wait for their server forever.
int CheckAbort(void *, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return TRequestPool::ShuttingDown() ? 1 : 0;
}

QByteArray CharsetOf(const QByteArray &contentType)
{
    for (const QByteArray &part : contentType.split(';')) {
        const QByteArray item = part.trimmed();
        if (item.toLower().startsWith("charset="))
            return item.mid(8).trimmed().replace('"', QByteArray());
    }
    return {};
}

// A value holding a line break would end its header early and smuggle in one of its own; such a
// line is not sent at all, whoever made it.
bool IsOneHeaderLine(const QByteArray &line)
{
    if (!line.contains('\r') && !line.contains('\n') && !line.contains('\0'))
        return true;
    qCWarning(lcRest) << "a request header line holds a line break: it is not sent";
    return false;
}

// The server as the user configured it: scheme://host:port of the address asked for.
QString ServerOf(const QString &url)
{
    return QUrl(url)
        .adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment)
        .toString(QUrl::RemoveUserInfo);
}

// Whether the exchange failed before a connection stood: no name, no listener, no route, or
// the time ran out while connecting.
bool NeverConnected(CURL *curl, CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT: return true;
    case CURLE_OPERATION_TIMEDOUT: {
        curl_off_t connected = 0;
        curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connected);
        return connected == 0;
    }
    default: return false;
    }
}

// The text of a failed exchange, in the program's words: the server that could not be reached or
// did not answer in full, or why its certificate or the file of further authorities was refused
// (curl's reason follows those). curl's own text goes to the log.
QString FailureText(CURL *curl, CURLcode code, const QString &reason, const QString &url)
{
    qCInfo(lcRest).noquote() << "no answer from" << ServerOf(url) << ":" << reason;
    if (NeverConnected(curl, code))
        return THttpClient::NotConnectedText(ServerOf(url));
    switch (code) {
    case CURLE_PEER_FAILED_VERIFICATION: {
        // The chain's verdict: 0 when it verified, 1 while curl had not yet taken the verdict (it
        // checks the name first), 62 when OpenSSL itself found the name wrong. Those three leave
        // the host name as what failed; any other value names the certificate's own fault.
        long verifyResult = 0;
        curl_easy_getinfo(curl, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
        const bool nameFailed = verifyResult == 0 || verifyResult == 1 || verifyResult == 62;
        return (nameFailed ? QStringLiteral("O nome do servidor não confere com o certificado: %1")
                           : QStringLiteral("O certificado do servidor não é confiável: %1"))
            .arg(reason);
    }
    case CURLE_SSL_CACERT_BADFILE:
        return QStringLiteral("O arquivo de autoridades certificadoras não pôde ser usado: %1").arg(reason);
    case CURLE_SSL_CONNECT_ERROR:
        return QStringLiteral("Não foi possível estabelecer uma conexão segura com o servidor (%1).").arg(ServerOf(url));
    case CURLE_OPERATION_TIMEDOUT:
        return QStringLiteral("O servidor (%1) não respondeu a tempo.").arg(ServerOf(url));
    default: return QStringLiteral("O servidor (%1) não enviou uma resposta completa.").arg(ServerOf(url));
    }
}

} // namespace

struct THttpClient::TCurlHandle
{
    CURL *curl = nullptr;
    TCurlHandle() : curl(curl_easy_init()) {}
    ~TCurlHandle() { curl_easy_cleanup(curl); }
};

QString THttpResponse::DeclaredText() const
{
    const QByteArray charset = CharsetOf(ContentType);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(Body);
    }
    return QString::fromUtf8(Body);
}

QByteArray THttpResponse::Header(QByteArrayView name) const
{
    for (const auto &[header, value] : Headers)
        if (QByteArrayView(header).compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

QString THttpClient::NotConnectedText(const QString &server)
{
    return QStringLiteral("Não foi possível conectar ao servidor (%1). Verifique se ele está em execução.").arg(server);
}

THttpClient::THttpClient() = default;

THttpClient::~THttpClient() = default;

THttpResponse THttpClient::Get(const QString &url) { return Perform("GET", url, nullptr); }
THttpResponse THttpClient::Post(const QString &url, const QByteArray &body) { return Perform("POST", url, &body); }
THttpResponse THttpClient::Put(const QString &url, const QByteArray &body) { return Perform("PUT", url, &body); }
THttpResponse THttpClient::Delete(const QString &url) { return Perform("DELETE", url, nullptr); }

QByteArray THttpClient::EncodeForm(const TFormFields &fields)
{
    QByteArray form;
    for (const auto &[name, value] : fields) {
        if (value.isEmpty())
            continue;
        if (!form.isEmpty())
            form += '&';
        form += QUrl::toPercentEncoding(name).replace("%20", "+") + '='
              + QUrl::toPercentEncoding(value).replace("%20", "+");
    }
    return form;
}

THttpResponse THttpClient::PostForm(const QString &url, const TFormFields &fields)
{
    const QByteArray savedType = ContentType;
    ContentType = "application/x-www-form-urlencoded; charset=utf-8";
    const QByteArray form = EncodeForm(fields);
    THttpResponse response = Perform("POST", url, &form);
    ContentType = savedType;
    return response;
}

THttpResponse THttpClient::Perform(const char *method, const QString &url, const QByteArray *body)
{
    THttpResponse response;
    // The handle comes with the first request, not with the client: the formatting client exists
    // from start-up on, and most runs never use it.
    if (!FHandle) {
        InitCurlOnce();
        FHandle = std::make_unique<TCurlHandle>();
    }
    CURL *curl = FHandle->curl;
    if (!curl) {
        qCWarning(lcRest) << "curl could not make a handle";
        response.Error = NotConnectedText(ServerOf(url));
        return response;
    }
    curl_easy_reset(curl);
    const QByteArray urlBytes = url.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method);
    if (qstrcmp(method, "GET") == 0)
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    if (body) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->constData());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body->size()));
    }

    curl_slist *headers = nullptr;
    const QByteArray typeHeader = "Content-Type: " + ContentType;
    const QByteArray acceptHeader = "Accept: " + Accept;
    headers = curl_slist_append(headers, typeHeader.constData());
    if (!Accept.isEmpty())
        headers = curl_slist_append(headers, acceptHeader.constData());
    for (const QByteArray &line : Headers)
        if (IsOneHeaderLine(line))
            headers = curl_slist_append(headers, line.constData());
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "QuorelApi/0.1");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, FollowRedirects ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // A request that started over HTTPS is never redirected into the clear.
    const bool secure = url.startsWith(QLatin1String("https:"), Qt::CaseInsensitive);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // Two bounds, not their sum: connecting ends at the first, the whole request at the second.
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(ConnectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(ResponseTimeoutMs));
    if (KeepCookies)
        curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
    const QByteArray caFile = CaCertificateFile.toLocal8Bit();
    if (!caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(MaxBodyBytes));

    TTransfer transfer;
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, ReadHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &response.Headers);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckAbort);

    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    const CURLcode code = curl_easy_perform(curl);
    curl_slist_free_all(headers);

    if (code != CURLE_OK || transfer.tooLarge) {
        response.Headers.clear();
        response.Error = transfer.tooLarge
            ? QStringLiteral("A resposta do servidor (%1) passa de %2 bytes.").arg(ServerOf(url)).arg(MaxBodyBytes)
            : FailureText(curl, code, QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(code)), url);
        return response;
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    char *type = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    response.Status = status > 0 ? int(status) : -1;
    response.Body = transfer.Body();
    response.ContentType = type ? QByteArray(type) : QByteArray();
    if (!response.Answered())
        response.Error = QStringLiteral("O servidor (%1) não enviou uma resposta completa.").arg(ServerOf(url));
    return response;
}
