#include "finding_filter.h"

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "report_folder.h"

namespace tesma::f101 {

using nlohmann::json;

namespace {

std::string ReportKey(const std::string& regn, const std::string& date, std::int32_t instance,
                      const std::string& folder) {
    const std::string id = " instance " + std::to_string(instance);
    return regn.empty() ? "folder " + folder + id : "regn " + regn + " of " + date + id;
}

bool IsFinding(const Finding& f) {
    return !f.line.code.empty() && (f.line.severity == "error" || f.line.severity == "warning");
}

json OrNull(const std::optional<std::string>& s) { return s ? json(*s) : json(nullptr); }

std::string TextOrEmpty(const json& j) { return j.is_null() ? std::string() : j.get<std::string>(); }

}  // namespace

FindingKey KeyOf(const ReportResult& r, const Finding& f) {
    return {ReportKey(r.regn, r.reportingDate, r.instance, r.report), f.chapter, f.line.code, f.account.value_or(""),
            f.sign.value_or("")};
}

Baseline Baseline::Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw reportkit::UsageError(path + ": no such baseline file (--write-baseline writes one)");
    Baseline b;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        try {
            const json j = json::parse(line);
            const FindingKey key{ReportKey(TextOrEmpty(j.at("regn")), TextOrEmpty(j.at("reporting_date")),
                                           j.at("instance").get<std::int32_t>(), j.at("report").get<std::string>()),
                                 j.at("chapter").get<std::string>(), j.at("code").get<std::string>(),
                                 TextOrEmpty(j.at("account")), TextOrEmpty(j.at("sign"))};
            ++b.left_[key];
        } catch (const json::exception&) {
            throw reportkit::UsageError(path + ":" + std::to_string(number) +
                                        ": not a baseline record (a file written by --write-baseline)");
        }
    }
    return b;
}

bool Baseline::Take(const FindingKey& key) {
    const auto it = left_.find(key);
    if (it == left_.end() || it->second == 0) return false;
    --it->second;
    return true;
}

int WriteBaseline(const std::string& path, const std::vector<const ReportResult*>& reports) {
    // Written beside and renamed over the old one: a baseline is never left half written.
    const std::string fresh = path + ".new";
    std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
    int written = 0;
    const auto write = [&](const ReportResult& r, const Finding& f) {
        const json j = {{"report", r.report},
                        {"regn", r.regn.empty() ? json(nullptr) : json(r.regn)},
                        {"reporting_date", r.reportingDate},
                        {"instance", r.instance},
                        {"chapter", f.chapter},
                        {"code", f.line.code},
                        {"account", OrNull(f.account)},
                        {"sign", OrNull(f.sign)},
                        {"row", f.line.row ? json(*f.line.row) : json(nullptr)},
                        {"message", f.line.message}};
        out << j.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
        ++written;
    };
    for (const ReportResult* r : reports)
        for (const ChapterRun& run : r->chapters) {
            for (const Finding& f : run.findings)
                if (IsFinding(f)) write(*r, f);
            for (const Finding& f : run.setAside) write(*r, f);
        }
    out.flush();
    if (!out || std::rename(fresh.c_str(), path.c_str()) != 0) {
        std::remove(fresh.c_str());
        throw std::runtime_error(path + ": cannot write the baseline");
    }
    return written;
}

void FindingFilter::Mark(ReportResult& report) const {
    report.ignoring = !ignore_.empty();
    report.withBaseline = baseline_.has_value();
}

void FindingFilter::Apply(const ReportResult& report, ChapterRun& run) {
    if (ignore_.empty() && !baseline_) return;
    std::vector<Finding> kept;
    for (Finding& f : run.findings) {
        if (IsFinding(f) && ignore_.count(f.line.code)) {
            ++run.ignored;
        } else if (IsFinding(f) && baseline_ && baseline_->Take(KeyOf(report, f))) {
            run.setAside.push_back(std::move(f));
        } else {
            kept.push_back(std::move(f));
        }
    }
    run.findings = std::move(kept);
}

}  // namespace tesma::f101
