#pragma once
// dBASE III/IV table files (.DBF): reading only.
#include <string>
#include <string_view>

#include "platform/engine/table_file.h"

namespace tesma::engine {

// Parses a dBASE file image; deleted records are skipped. A damaged file is an EngineError.
TableFile ParseDbase(std::string_view bytes, const std::string& path);

Cell DecodeDbaseField(const TableFile& table, const FieldDef& field, const char* bytes);

}  // namespace tesma::engine
