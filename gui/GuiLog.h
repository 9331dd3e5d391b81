#pragma once

#include <QLoggingCategory>

// The message boxes' log, "quorel.gui": every failure the folder absorbs leaves a line here.
Q_DECLARE_LOGGING_CATEGORY(lcGui)
