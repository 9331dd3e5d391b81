#pragma once

#include <QLoggingCategory>

// The field engine's log, "quorel.fields": every failure the folder absorbs leaves a line here.
Q_DECLARE_LOGGING_CATEGORY(lcFields)
