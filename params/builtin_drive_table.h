// The drive models the program always knows, after whatever the parameter file adds.
#pragma once

#include <cstdint>

struct BuiltinDriveRow {
    const char* modelName;  // null in the row that ends the table
    uint32_t typeCodeOffset;
    int32_t atapi;
    int32_t typeCodeEnable;
};

// Ten rows in the order they are tried, ended by a row without a model name. The drive
// controller appends one entry per row, with an empty product name, after the file's entries
// so that a file entry matching a drive wins over the built-in row for it.
extern const BuiltinDriveRow BuiltinDriveTable[];
