#include "fields/FieldsLog.h"

Q_LOGGING_CATEGORY(lcFields, "quorel.fields")
