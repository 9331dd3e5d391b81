#pragma once

#include <QLoggingCategory>

// The program's log, "quorel.app": every failure the folder absorbs leaves a line here.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
