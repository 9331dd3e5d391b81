#pragma once

#include <QLoggingCategory>

// The configuration's log, "quorel.config": every failure the folder absorbs leaves a line here.
Q_DECLARE_LOGGING_CATEGORY(lcConfig)
