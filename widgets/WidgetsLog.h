#pragma once

#include <QLoggingCategory>

// The widgets' log, "quorel.widgets": every failure the folder absorbs leaves a line here.
Q_DECLARE_LOGGING_CATEGORY(lcWidgets)
