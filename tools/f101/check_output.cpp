#include "check_output.h"

#include <nlohmann/json.hpp>

#include "rule_catalogue.h"

namespace tesma::f101 {

namespace {

bool Shown(const Finding& f, const CheckView& view) {
    if (view.quiet) return false;
    // Text output says failures on standard error, once.
    if (f.line.severity == "failure") return view.json;
    if (view.severity.empty()) return true;
    if (f.line.severity == "error" || f.line.severity == "failure") return true;
    return view.severity == "warning" && f.line.severity == "warning";
}

nlohmann::json OrNull(const std::optional<std::string>& s) { return s ? nlohmann::json(*s) : nlohmann::json(nullptr); }
nlohmann::json OrNull(const std::string& s) { return s.empty() ? nlohmann::json(nullptr) : nlohmann::json(s); }

std::string Plural(int n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

}  // namespace

FindingCounts Count(const std::vector<Finding>& findings) {
    FindingCounts c;
    for (const Finding& f : findings) {
        if (f.line.severity == "error") ++c.errors;
        if (f.line.severity == "warning") ++c.warnings;
        if (f.line.severity == "failure") ++c.failures;
    }
    return c;
}

void PrintChapterHeading(std::ostream& out, const RunContext& context, const CheckView& view) {
    if (view.json || view.quiet) return;
    if (context.chapter.empty())
        out << "== " << context.table << " ==\n";
    else
        out << "== Глава " << context.chapter << " (" << context.table << ") ==\n";
}

void PrintFindings(std::ostream& out, const std::vector<Finding>& findings, const CheckView& view) {
    for (const Finding& f : findings) {
        if (!Shown(f, view)) continue;
        const Rule* rule = f.line.code.empty() ? nullptr : FindRule(f.line.code);
        if (view.json) {
            nlohmann::json j;
            j["row"] = f.line.row ? nlohmann::json(*f.line.row) : nlohmann::json(nullptr);
            j["code"] = OrNull(f.line.code);
            j["severity"] = f.line.severity;
            j["message"] = f.line.message;
            j["report"] = f.report;
            j["chapter"] = OrNull(f.chapter);
            j["procedure"] = f.procedure;
            j["table"] = OrNull(f.table);
            j["account"] = OrNull(f.account);
            j["sign"] = OrNull(f.sign);
            if (f.line.severity == "failure") j["file"] = OrNull(f.file);
            if (view.explain)
                j["explanation"] = rule ? nlohmann::json(std::string(rule->explanation)) : nlohmann::json(nullptr);
            out << j.dump() << '\n';
            continue;
        }
        if (f.line.row)
            out << *f.line.row << ": " << f.line.code << ' ' << f.line.message << '\n';
        else
            out << f.line.message << '\n';
        if (view.explain && rule) out << "    -> " << rule->explanation << '\n';
    }
}

void PrintSummary(std::ostream& out, const std::string& report, const FindingCounts& c, const CheckView& view) {
    if (view.json) {
        // The summary is a record of its own only when it is all that is asked for.
        if (!view.quiet) return;
        out << nlohmann::json{{"report", report},
                              {"errors", c.errors},
                              {"warnings", c.warnings},
                              {"failures", c.failures}}
                   .dump()
            << '\n';
        return;
    }
    out << report << ": " << Plural(c.errors, "error") << ", " << Plural(c.warnings, "warning") << ", "
        << Plural(c.failures, "failure") << '\n';
}

}  // namespace tesma::f101
