#include "synthetic_report.h"

#include <algorithm>
#include <vector>

#include "report_tree.h"

namespace tesma::bench {

using reportkit::ChartEntry;
using reportkit::PublishedRow;

namespace {

struct Range {
    const char* plan;
    int first, last;  // account numbers
    const char* total;
};

// Chapter ranges as the controls see them (В: below its total account; Д: up to 98999).
constexpr Range kRanges[] = {{"А", 10001, 79998, "79999"},
                             {"Б", 80000, 89998, "89999"},
                             {"В", 90000, 91998, "91999"},
                             {"Г", 92000, 97998, "97999"},
                             {"Д", 98000, 98998, "98999"}};

std::string AmountText(long long v) { return std::to_string(v); }

// Incoming 1000, and turnovers 70 on the own side and 30 on the other: active accounts close
// at 1040, passive ones too, and the chapter's debits equal its credits.
PublishedRow Account(const char* plan, int n, bool active, const std::string& date, bool depo, bool previousMonth) {
    PublishedRow r;
    r.plan = plan;
    r.numSc = std::to_string(n);
    r.ap = active ? "1" : "2";
    r.date = date;
    const long long in = previousMonth ? 1000 : 1000, debit = previousMonth ? 0 : (active ? 70 : 30),
                    credit = previousMonth ? 0 : (active ? 30 : 70);
    const long long out = previousMonth ? 1000 : in + (active ? debit - credit : credit - debit);
    const long long vx = previousMonth ? out : in;
    auto put = [&](std::size_t at, long long rub, long long val) {
        if (depo) {
            r.amounts[at] = "0";
            r.amounts[at + 1] = "0";
            r.amounts[at + 2] = AmountText(rub + val) + ".1234";
        } else {
            r.amounts[at] = AmountText(rub);
            r.amounts[at + 1] = AmountText(val);
            r.amounts[at + 2] = AmountText(rub + val);
        }
    };
    put(0, vx * 3 / 4, vx - vx * 3 / 4);
    put(3, debit, 0);
    put(6, credit, 0);
    const long long currency = vx - vx * 3 / 4;  // turnovers are all in roubles
    put(9, out - currency, currency);
    if (depo) {  // four decimals that must add up exactly
        r.amounts[5] = AmountText(debit) + ".0000";
        r.amounts[8] = AmountText(credit) + ".0000";
        r.amounts[2] = AmountText(vx) + ".1234";
        r.amounts[11] = AmountText(out) + ".1234";
    }
    return r;
}

std::vector<PublishedRow> Month(const std::string& date, int perChapter, bool previousMonth, int counts[5]) {
    std::vector<PublishedRow> rows;
    int c = 0;
    for (const Range& range : kRanges) {
        const bool depo = std::string(range.plan) == "Д";
        const int available = range.last - range.first + 1;
        const int count = std::min(perChapter, available) / 2 * 2;
        const int step = std::max(1, available / count);
        for (int i = 0; i < count; ++i)
            rows.push_back(Account(range.plan, range.first + i * step, i % 2 == 0, date, depo, previousMonth));
        if (counts) counts[c] = count;
        ++c;
    }
    return rows;
}

}  // namespace

SyntheticReport BuildSyntheticReport(const std::string& root, int accountsPerChapter) {
    SyntheticReport report;
    std::vector<ChartEntry> chart;
    for (const PublishedRow& r : Month("2015-12-01", accountsPerChapter, false, report.rows))
        chart.push_back({r.numSc, r.ap});
    std::sort(chart.begin(), chart.end(),
              [](const ChartEntry& a, const ChartEntry& b) { return a.account < b.account; });
    report.previous = reportkit::WriteReportTree({root, "9999", "", 1},
                                                 Month("2015-11-01", accountsPerChapter, true, nullptr), chart);
    report.current = reportkit::WriteReportTree({root, "9999", "", 1},
                                                Month("2015-12-01", accountsPerChapter, false, nullptr), chart);
    return report;
}

}  // namespace tesma::bench
