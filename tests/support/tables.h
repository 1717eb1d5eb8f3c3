#pragma once
// Real table files for tests, written by the engine.
#include <string>
#include <vector>

#include "platform/engine/cell.h"
#include "platform/engine/paradox.h"

namespace tesma::testing {

using engine::Cell;
using engine::FieldType;
using engine::NewField;

// Writes a new Paradox table at `path` (code page 1251 path) with these rows.
void WriteParadoxTable(const std::string& path, const std::vector<NewField>& fields,
                       const std::vector<std::vector<Cell>>& rows);

// Reads every record of a table file as cells.
std::vector<std::vector<Cell>> ReadTable(const std::string& path);

// The whole file, byte for byte.
std::string FileBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace tesma::testing
