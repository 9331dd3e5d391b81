#pragma once

#include <QLoggingCategory>

// The screens' log, "quorel.screens": every failure the folder absorbs leaves a line here.
Q_DECLARE_LOGGING_CATEGORY(lcScreens)
