#include "finding_context.h"

#include <regex>

namespace tesma::f101 {

void FindAccount(const std::string& message, std::optional<std::string>& account, std::optional<std::string>& sign) {
    // The account label of the row checks and the depository checks, the account of a chapter
    // range finding, and the account of a branch's year-end balance.
    static const std::regex labelled("(?:Б/С |СЧЕТ- )([0-9]{5})(А|П)?");
    static const std::regex ranged("СЧЕТОВ: +<([0-9]+)>");
    static const std::regex yearEnd("ГОДА, ([0-9]{5})=");
    std::smatch m;
    if (std::regex_search(message, m, labelled)) {
        account = m[1].str();
        if (m[2].matched) sign = m[2].str();
    } else if (std::regex_search(message, m, ranged) || std::regex_search(message, m, yearEnd)) {
        account = m[1].str();
    }
}

std::vector<Finding> WithContext(const std::vector<reportkit::ProtocolLine>& lines, const RunContext& context) {
    std::vector<Finding> out;
    std::string procedure = context.procedure;
    for (const reportkit::ProtocolLine& l : lines) {
        // Chapter А's control run writes the cross-checks first, then the balance control,
        // each after its header line.
        if (!l.row && l.message.rfind("**", 0) == 0 && context.procedure == "balance")
            procedure = l.message.find("2-я часть") != std::string::npos ? "cross-checks" : "balance";
        Finding f{l, context.report, context.chapter, procedure, context.table, std::nullopt, std::nullopt, {}};
        if (l.row) FindAccount(l.message, f.account, f.sign);
        out.push_back(std::move(f));
    }
    return out;
}

}  // namespace tesma::f101
