#pragma once

#include <nlohmann/json.hpp>

class TRecordTable;

// Appends one row to the table per object of the array; the array stays the caller's.
// A null array fails with "JSON Value Uninformed."; a null table does nothing.
void LoadTableFromArray(TRecordTable *table, const nlohmann::ordered_json *array);
