#pragma once

#include <QLoggingCategory>

// The converters' log, "quorel.convert": every failure the folder absorbs leaves a line here.
Q_DECLARE_LOGGING_CATEGORY(lcConvert)
