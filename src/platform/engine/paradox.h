#pragma once
// Paradox table files (.DB): reading, writing and creating.
#include <string>
#include <string_view>
#include <vector>

#include "platform/engine/table_file.h"

namespace tesma::engine {

// Parses a Paradox file image. A damaged or unsupported file is an EngineError naming `path`.
TableFile ParseParadox(std::string_view bytes, const std::string& path);

// The complete file image of the table: its header with the counts brought up to date and the
// records packed into a fresh chain of data blocks.
std::string SerializeParadox(const TableFile& table);

// Marks the header of a table about to be written with changed records, as the table's engine
// does for other readers: the change counters move on and, in tables from 4.0 on, the header
// takes the time of the update.
void StampChange(TableFile& table);

struct NewField {
    std::string name;
    FieldType type = FieldType::Alpha;
    int size = 0;  // alpha only: 1..255
};

// A new empty Paradox 7 table (unkeyed) with these fields.
TableFile CreateParadox(const std::vector<NewField>& fields, const std::string& path);

// Field value codecs of the Paradox record format.
Cell DecodeParadoxField(const FieldDef& field, const char* bytes);
void EncodeParadoxField(const FieldDef& field, const Cell& value, char* bytes);

}  // namespace tesma::engine
