#pragma once

#include <QLoggingCategory>

// The request layer's log, "quorel.rest": every failure the folder absorbs leaves a line here.
// "quorel.rest.requests" (debug, off by default) has one line per request.
Q_DECLARE_LOGGING_CATEGORY(lcRest)
Q_DECLARE_LOGGING_CATEGORY(lcRequests)
