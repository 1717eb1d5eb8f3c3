#include "finding_context.h"

#include "platform/text/cp1251.h"
#include "tesma/tesmaC.h"

namespace tesma::f101 {

namespace {

std::optional<std::string> Utf8OrNone(const std::string& cp1251) {
    if (cp1251.empty()) return std::nullopt;
    return text::ToUtf8(cp1251);
}

}  // namespace

std::vector<Finding> WithContext(const std::vector<reportkit::ProtocolLine>& lines,
                                 const std::vector<hostkit::FindingRecord>& records, const RunContext& context) {
    std::vector<Finding> out;
    std::string procedure = context.procedure;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const reportkit::ProtocolLine& l = lines[i];
        const hostkit::FindingRecord* record = i < records.size() ? &records[i] : nullptr;
        // Chapter А's control run writes the cross-checks first, then the balance control.
        if (record && context.procedure == "balance")
            procedure = record->procedure == contract::kProcedureControlChapterA2 ? "cross-checks" : "balance";
        Finding f{l, context.report, context.chapter, procedure, context.table, std::nullopt, std::nullopt, {}, {}};
        if (record) {
            f.record = *record;
            if (l.row) {
                f.account = Utf8OrNone(record->account);
                f.sign = Utf8OrNone(record->sign);
            }
        }
        out.push_back(std::move(f));
    }
    return out;
}

}  // namespace tesma::f101
