#include "rest/THttpClient.h"

#include "rest/TCurlLibrary.h"
#include "rest/TRequestPool.h"

#include <QByteArrayList>
#include <QStringDecoder>
#include <QUrl>

namespace {

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

} // namespace

struct THttpClient::TCurlHandle
{
    const TCurlLibrary &library = TCurlLibrary::Instance();
    CURL *curl = library.Loaded() ? library.easy_init() : nullptr;
    ~TCurlHandle()
    {
        if (curl)
            library.easy_cleanup(curl);
    }
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
    // The handle (and with it the library) comes with the first request, not with the client: the
    // formatting client exists from start-up on and must not wait for the library to load.
    if (!FHandle)
        FHandle = std::make_unique<TCurlHandle>();
    const TCurlLibrary &library = FHandle->library;
    CURL *curl = FHandle->curl;
    if (!curl) {
        response.Error = library.Loaded() ? QStringLiteral("Could not create an HTTP client") : library.Error();
        return response;
    }
    const auto setopt = library.easy_setopt;
    library.easy_reset(curl);
    const QByteArray urlBytes = url.toUtf8();
    setopt(curl, CURLOPT_URL, urlBytes.constData());
    setopt(curl, CURLOPT_CUSTOMREQUEST, method);
    if (qstrcmp(method, "GET") == 0)
        setopt(curl, CURLOPT_HTTPGET, 1L);
    if (body) {
        setopt(curl, CURLOPT_POSTFIELDS, body->constData());
        setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body->size()));
    }

    curl_slist *headers = nullptr;
    const QByteArray typeHeader = "Content-Type: " + ContentType;
    const QByteArray acceptHeader = "Accept: " + Accept;
    headers = library.slist_append(headers, typeHeader.constData());
    if (!Accept.isEmpty())
        headers = library.slist_append(headers, acceptHeader.constData());
    headers = library.slist_append(headers, "Expect:");
    setopt(curl, CURLOPT_HTTPHEADER, headers);
    setopt(curl, CURLOPT_USERAGENT, "QuorelApi/0.1");
    setopt(curl, CURLOPT_FOLLOWLOCATION, FollowRedirects ? 1L : 0L);
    setopt(curl, CURLOPT_MAXREDIRS, 10L);
    setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // A request that started over HTTPS is never redirected into the clear.
    const bool secure = url.startsWith(QLatin1String("https:"), Qt::CaseInsensitive);
    setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    setopt(curl, CURLOPT_NOSIGNAL, 1L);
    setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(ConnectTimeoutMs));
    setopt(curl, CURLOPT_TIMEOUT_MS, long(ResponseTimeoutMs > 0 ? ConnectTimeoutMs + ResponseTimeoutMs : 0));
    if (KeepCookies)
        setopt(curl, CURLOPT_COOKIEFILE, "");
    const QByteArray caFile = CaCertificateFile.toLocal8Bit();
    if (!caFile.isEmpty())
        setopt(curl, CURLOPT_CAINFO, caFile.constData());
    setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(MaxBodyBytes));

    TTransfer transfer;
    setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    setopt(curl, CURLOPT_WRITEDATA, &transfer);
    setopt(curl, CURLOPT_NOPROGRESS, 0L);
    setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckAbort);

    char errorText[CURL_ERROR_SIZE] = {};
    setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    const CURLcode code = library.easy_perform(curl);
    library.slist_free_all(headers);

    if (code != CURLE_OK || transfer.tooLarge) {
        response.Error = transfer.tooLarge ? QStringLiteral("The answer is larger than %1 bytes").arg(MaxBodyBytes)
                       : QString::fromUtf8(errorText[0] ? errorText : library.easy_strerror(code));
        return response;
    }
    long status = 0;
    library.easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    char *type = nullptr;
    library.easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    response.Status = status > 0 ? int(status) : -1;
    response.Body = transfer.Body();
    response.ContentType = type ? QByteArray(type) : QByteArray();
    if (!response.Answered())
        response.Error = QStringLiteral("No answer");
    return response;
}
