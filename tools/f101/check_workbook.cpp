#include "check_workbook.h"

#include <algorithm>
#include <map>
#include <vector>

#include "exit_status.h"
#include "platform/text/cp1251.h"
#include "table_csv.h"
#include "table_xlsx.h"
#include "workbook.h"

namespace tesma::f101 {

namespace {

constexpr std::uint32_t kErrorFill = 0xFFC7CE, kWarningFill = 0xFFEB9C;

// The columns of the findings sheet: the fields of the --json records.
const std::vector<std::string> kFindingColumns = {"report",   "chapter", "procedure", "table", "row", "code",
                                                  "severity", "message", "account",   "sign",  "file"};

class FindingsSheet {
public:
    FindingsSheet(reportkit::Workbook& book, bool explain) : book_(book), sheet_(book.AddSheet("findings")) {
        std::vector<std::string> columns = kFindingColumns;
        if (explain) columns.push_back("explanation");
        for (std::uint16_t c = 0; c < columns.size(); ++c) sheet_.Text(0, c, columns[c], book.Bold());
        columns_ = static_cast<std::uint16_t>(columns.size());
        explain_ = explain;
    }

    void Add(const Finding& f) {
        Row({f.report, f.chapter, f.procedure, f.table, "", f.line.code, f.line.severity, f.line.message,
             f.account.value_or(""), f.sign.value_or(""), ""},
            f.line.row, f.explanation.value_or(""));
    }
    void Add(const std::string& report, const ChapterRun* run, const Failure& failure, const std::string& severity) {
        Row({report, run ? run->chapter : "", run ? run->procedure : "", run ? run->table : "", "", "", severity,
             failure.message, "", "", failure.file},
            std::nullopt, "");
    }
    void Finish() {
        sheet_.HeaderRow(columns_, next_);
        sheet_.Width(0, 30);
        sheet_.Width(7, 80);
    }

private:
    void Row(const std::vector<std::string>& values, std::optional<std::int64_t> row, const std::string& explanation) {
        if (next_ >= reportkit::Workbook::kMaxRows) return;
        for (std::uint16_t c = 0; c < values.size(); ++c)
            if (c == 4 && row)
                sheet_.Number(next_, c, static_cast<double>(*row));
            else if (!values[c].empty())
                sheet_.Text(next_, c, values[c]);
        if (explain_ && !explanation.empty()) sheet_.Text(next_, 11, explanation);
        ++next_;
    }

    reportkit::Workbook& book_;
    reportkit::Workbook::Sheet sheet_;
    std::uint16_t columns_ = 0;
    std::uint32_t next_ = 1;
    bool explain_ = false;
};

int FieldIndex(const engine::TableFile& t, const std::string& name) {
    for (std::size_t i = 0; i < t.fields.size(); ++i)
        if (text::LatinUpper(t.fields[i].name) == text::LatinUpper(text::FromUtf8(name))) return static_cast<int>(i);
    return -1;
}

std::string TextOf(const engine::TableFile& t, std::size_t record, int field) {
    if (field < 0) return {};
    const engine::Cell c = t.Get(record, field);
    std::string s = text::ToUtf8(c.text);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The record a finding is about: the row it names when that row holds its account, else the
// first row of its account and sign.
std::optional<std::size_t> RecordOf(const engine::TableFile& t, const Finding& f) {
    if (!f.account) return std::nullopt;
    const int account = FieldIndex(t, "NBAL2"), sign = FieldIndex(t, "A_P");
    if (account < 0) return std::nullopt;
    if (f.line.row && *f.line.row >= 1 && static_cast<std::size_t>(*f.line.row) <= t.records.size() &&
        TextOf(t, static_cast<std::size_t>(*f.line.row - 1), account) == *f.account)
        return static_cast<std::size_t>(*f.line.row - 1);
    for (std::size_t r = 0; r < t.records.size(); ++r)
        if (TextOf(t, r, account) == *f.account && (!f.sign || sign < 0 || TextOf(t, r, sign) == *f.sign)) return r;
    return std::nullopt;
}

struct Mark {
    bool error = false;
    std::string note;
};

// The chapter table as the check left it, with its findings' cells marked.
void ChapterSheet(reportkit::Workbook& book, const std::string& name, const ChapterRun& run) {
    engine::TableFile t;
    try {
        t = reportkit::ReadTableFile(run.tablePath);
    } catch (const std::exception&) {
        return;  // the run's failure says why; the findings sheet has it
    }
    if (t.records.size() + 1 > reportkit::Workbook::kMaxRows) return;
    std::map<std::pair<std::size_t, std::size_t>, Mark> marks;
    for (const Finding& f : run.findings) {
        if (f.line.code.empty()) continue;
        const auto record = RecordOf(t, f);
        if (!record) continue;
        std::vector<std::size_t> fields;
        for (const std::string& name : f.record.fields)
            if (name.find('@') == std::string::npos)
                if (const int i = FieldIndex(t, name); i >= 0) fields.push_back(static_cast<std::size_t>(i));
        if (fields.empty()) fields.push_back(static_cast<std::size_t>(FieldIndex(t, "NBAL2")));
        for (std::size_t field : fields) {
            Mark& m = marks[{*record, field}];
            m.error = m.error || f.line.severity == "error";
            m.note += (m.note.empty() ? "" : "\n") + f.line.code + " " + f.line.message;
        }
    }
    reportkit::Workbook::Sheet sheet = book.AddSheet(name);
    reportkit::WriteTableSheet(book, sheet, t, [&](std::size_t r, std::size_t f) -> std::uint32_t {
        const auto m = marks.find({r, f});
        return m == marks.end() ? 0 : m->second.error ? kErrorFill : kWarningFill;
    });
    for (const auto& [cell, mark] : marks)
        sheet.Note(static_cast<std::uint32_t>(cell.first + 1), static_cast<std::uint16_t>(cell.second), mark.note);
}

void SummarySheet(reportkit::Workbook& book, const BatchResult& batch) {
    reportkit::Workbook::Sheet sheet = book.AddSheet("summary");
    const std::vector<std::string> columns = {"report",   "regn",     "bank",    "date", "instance", "errors",
                                              "warnings", "failures", "seconds", "exit", "state"};
    for (std::uint16_t c = 0; c < columns.size(); ++c) sheet.Text(0, c, columns[c], book.Bold());
    std::uint32_t row = 1;
    for (const BatchReport& b : batch.reports) {
        const ReportResult& r = b.result;
        sheet.Text(row, 0, r.SummaryName());
        if (!r.regn.empty()) sheet.Text(row, 1, r.regn);
        if (!r.bankName.empty()) sheet.Text(row, 2, r.bankName);
        if (!r.reportingDate.empty()) sheet.Text(row, 3, r.reportingDate);
        if (b.run) {
            sheet.Number(row, 4, r.instance);
            sheet.Number(row, 5, r.counts.errors);
            sheet.Number(row, 6, r.counts.warnings);
            sheet.Number(row, 7, r.counts.failures);
            sheet.Number(row, 8, b.seconds);
            sheet.Number(row, 9, r.exitStatus);
        }
        sheet.Text(row, 10, !b.run ? "not run" : r.exitStatus == kStopped ? "stopped" : "done");
        ++row;
    }
    sheet.HeaderRow(static_cast<std::uint16_t>(columns.size()), row);
    sheet.Width(0, 40);
    sheet.Width(2, 40);
}

}  // namespace

WorkbookOutput::WorkbookOutput(std::string path, bool batch, bool explain)
    : book_(std::make_unique<reportkit::Workbook>(std::move(path))), batch_(batch), explain_(explain) {}

WorkbookOutput::~WorkbookOutput() = default;

void WorkbookOutput::BatchDone(const BatchResult& batch) {
    if (batch_) SummarySheet(*book_, batch);
    FindingsSheet findings(*book_, explain_);
    for (const BatchReport& b : batch.reports) {
        const ReportResult& r = b.result;
        if (!r.refusal.empty()) findings.Add(r.SummaryName(), nullptr, {r.refusal, ""}, "refused");
        for (const ChapterRun& run : r.chapters) {
            for (const Finding& f : run.findings) findings.Add(f);
            for (const Failure& failure : run.failures) findings.Add(r.report, &run, failure, "failure");
        }
        for (const Failure& failure : r.failures) findings.Add(r.SummaryName(), nullptr, failure, "failure");
        if (r.stopped) findings.Add(r.SummaryName(), nullptr, {kStoppedMessage, ""}, "stopped");
    }
    findings.Finish();
    for (std::size_t i = 0; i < batch.reports.size(); ++i) {
        const ReportResult& r = batch.reports[i].result;
        // A batch's sheets tell reports apart by institution and date.
        std::string date = r.reportingDate;
        date.erase(std::remove(date.begin(), date.end(), '-'), date.end());
        const std::string prefix =
            !batch_ ? "Глава " : (r.regn.empty() ? std::to_string(i + 1) : r.regn) + " " + date + " ";
        for (const ChapterRun& run : r.chapters)
            if (run.Started() && !run.chapter.empty())
                ChapterSheet(*book_, prefix + run.chapter + " (" + run.table + ")", run);
    }
    book_->Close();
}

}  // namespace tesma::f101
