#include "support/tables.h"

#include <fstream>
#include <sstream>

#include "platform/engine/dbase.h"
#include "platform/engine/files.h"

namespace tesma::testing {

void WriteParadoxTable(const std::string& path, const std::vector<NewField>& fields,
                       const std::vector<std::vector<Cell>>& rows) {
    engine::TableFile t = engine::CreateParadox(fields, path);
    for (const auto& row : rows) {
        std::string record = t.BlankRecord();
        for (std::size_t i = 0; i < row.size() && i < t.fields.size(); ++i) t.Set(record, static_cast<int>(i), row[i]);
        t.records.push_back(std::move(record));
    }
    engine::ReplaceFileAtomically(engine::DiskPath(path), engine::SerializeParadox(t), path);
}

std::vector<std::vector<Cell>> ReadTable(const std::string& path) {
    std::string bytes = FileBytes(path);
    bool dbf = path.size() > 4 && (path.ends_with(".DBF") || path.ends_with(".dbf"));
    engine::TableFile t = dbf ? engine::ParseDbase(bytes, path) : engine::ParseParadox(bytes, path);
    std::vector<std::vector<Cell>> rows;
    for (std::size_t r = 0; r < t.records.size(); ++r) {
        std::vector<Cell> row;
        for (std::size_t f = 0; f < t.fields.size(); ++f) row.push_back(t.Get(r, static_cast<int>(f)));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(engine::DiskPath(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(engine::DiskPath(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace tesma::testing
