#pragma once

#include <QString>

class THttpClient;

// Pretty-prints JSON text. With a service address, posts the text to "<service>/process" through
// client (blocking; the client's time-outs apply) and cuts the formatted text out of the answer;
// raises EHttpClientError when the service does not answer. Without one, formats locally.
// Returns json unchanged whenever it cannot be formatted.
QString FormatJson(const QString &json, THttpClient &client, const QString &serviceAddress);

// The formatted text cut out of a service answer, or json when the answer judges it invalid or
// holds nothing to cut.
QString CutFormattedAnswer(const QString &answer, const QString &json);

// 2-space indentation, member order kept; json unchanged when it does not parse.
QString FormatJsonLocally(const QString &json);
