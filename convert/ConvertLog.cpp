#include "convert/ConvertLog.h"

Q_LOGGING_CATEGORY(lcConvert, "quorel.convert")
