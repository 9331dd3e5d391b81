#include "rest/FormatJson.h"

#include "rest/JsonUtils.h"
#include "rest/THttpClient.h"

#include <QRegularExpression>

QString CutFormattedAnswer(const QString &answer, const QString &json)
{
    static const QRegularExpression invalidPattern(QStringLiteral("(?<=jsonstandard\").*(?=\"valid\":0)"));
    static const QRegularExpression copyPattern(QStringLiteral("(?<=jsoncopy\":\").*(?=\",\"template\")"));
    if (answer.isEmpty() || invalidPattern.match(answer).hasMatch())
        return json;
    const QRegularExpressionMatch copy = copyPattern.match(answer);
    if (!copy.hasMatch())
        return json;
    QString formatted = copy.captured(0);
    formatted.replace(QLatin1String("\\n"), QLatin1String("\r\n"));
    formatted.replace(QLatin1String("\\\""), QLatin1String("\""));
    return formatted;
}

QString FormatJsonLocally(const QString &json)
{
    const std::optional<TJson> parsed = ParseJson(json);
    if (!parsed)
        return json;
    return JsonToText(*parsed, 2);
}

QString FormatJson(const QString &json, THttpClient &client, const QString &serviceAddress)
{
    if (serviceAddress.trimmed().isEmpty())
        return FormatJsonLocally(json);
    QString url = serviceAddress.trimmed();
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    const THttpResponse response = client.PostForm(url + QStringLiteral("/process"), {
        {QStringLiteral("jsondata"), json},
        {QStringLiteral("jsonstandard"), QStringLiteral("1")},
        {QStringLiteral("jsontemplate"), QStringLiteral("1")},
    });
    if (!response.Answered())
        throw EHttpClientError(response.Error.toStdString());
    return CutFormattedAnswer(QString::fromUtf8(response.Body), json);
}
