#include "rest/RestLog.h"

Q_LOGGING_CATEGORY(lcRest, "quorel.rest")
// Debug lines are off unless QT_LOGGING_RULES="quorel.rest.requests.debug=true".
Q_LOGGING_CATEGORY(lcRequests, "quorel.rest.requests", QtInfoMsg)
