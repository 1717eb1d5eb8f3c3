#include "table_text.h"

#include <filesystem>

#include "platform/engine/dbase.h"
#include "platform/engine/files.h"
#include "platform/engine/paradox.h"
#include "platform/engine/query.h"
#include "platform/text/cp1251.h"

namespace tesma::reportkit {

int TableText::FieldIndex(const std::string& name) const {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i] == name) return static_cast<int>(i);
    return -1;
}

TableText ReadTableText(const std::string& tablePath) {
    const std::string bytes = engine::ReadWholeFile(tablePath, tablePath);
    std::string ext = std::filesystem::path(tablePath).extension().string();
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const engine::TableFile t =
        ext == ".DBF" ? engine::ParseDbase(bytes, tablePath) : engine::ParseParadox(bytes, tablePath);
    TableText table;
    std::vector<engine::ColumnKind> kinds;
    for (const auto& f : t.fields) {
        table.fields.push_back(text::ToUtf8(f.name));
        kinds.push_back(engine::KindOf(f.type));
    }
    table.rows.reserve(t.records.size());
    for (std::size_t r = 0; r < t.records.size(); ++r) {
        std::vector<std::string>& row = table.rows.emplace_back();
        row.reserve(t.fields.size());
        for (std::size_t f = 0; f < t.fields.size(); ++f)
            row.push_back(text::ToUtf8(engine::CellText(t.Get(r, static_cast<int>(f)), kinds[f])));
    }
    return table;
}

}  // namespace tesma::reportkit
