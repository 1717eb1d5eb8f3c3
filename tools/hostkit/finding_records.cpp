#include "finding_records.h"

#include <charconv>

#include "tesma/tesmaC.h"

namespace tesma::hostkit {

namespace {

std::string Unescaped(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                out += value[i];
        }
    }
    return out;
}

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> out;
    if (list.empty()) return out;
    std::size_t from = 0;
    for (std::size_t comma; (comma = list.find(',', from)) != std::string::npos; from = comma + 1)
        out.push_back(list.substr(from, comma - from));
    out.push_back(list.substr(from));
    return out;
}

}  // namespace

std::string FindingRecord::Value(std::string_view key) const {
    for (const auto& [k, v] : keys)
        if (k == key) return v;
    return "";
}

FindingRecord ParseFindingRecord(std::string_view line) {
    FindingRecord r;
    while (!line.empty()) {
        const std::size_t tab = line.find('\t');
        const std::string_view pair = line.substr(0, tab);
        line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos) continue;
        r.keys.emplace_back(std::string(pair.substr(0, equals)), Unescaped(pair.substr(equals + 1)));
    }
    r.kind = r.Value(contract::kRecordKind);
    r.procedure = r.Value(contract::kRecordProcedure);
    const std::string row = r.Value(contract::kRecordRow);
    std::int64_t n = 0;
    if (!row.empty() && std::from_chars(row.data(), row.data() + row.size(), n).ec == std::errc()) r.row = n;
    r.code = r.Value(contract::kRecordCode);
    r.account = r.Value(contract::kRecordAccount);
    r.sign = r.Value(contract::kRecordSign);
    r.fields = Split(r.Value(contract::kRecordFields));
    r.values = Split(r.Value(contract::kRecordValues));
    r.op = r.Value(contract::kRecordOp);
    r.x = r.Value(contract::kRecordX);
    r.y = r.Value(contract::kRecordY);
    r.xRule = r.Value(contract::kRecordXRule);
    r.yRule = r.Value(contract::kRecordYRule);
    r.previous = r.Value(contract::kRecordPrevious);
    return r;
}

std::vector<FindingRecord> ParseFindingRecords(std::string_view bytes) {
    std::vector<FindingRecord> out;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        out.push_back(ParseFindingRecord(bytes.substr(0, lf)));
        if (lf == std::string_view::npos) break;
        bytes.remove_prefix(lf + 1);
    }
    return out;
}

}  // namespace tesma::hostkit
