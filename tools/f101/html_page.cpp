#include "html_page.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "form101.h"
#include "html_rule.h"
#include "html_text.h"
#include "rule_catalogue.h"
#include "table_text.h"

namespace tesma::f101 {

namespace {

// Marked columns are a colour of their own (the page's tests look for it on screen): amber
// under a dark red frame.
constexpr std::string_view kStyle = R"(
body{font:14px/1.4 system-ui,sans-serif;margin:1.5em;color:#222;background:#fff}
h1{font-size:1.5em;margin:0 0 .4em}h2{font-size:1.25em;margin:1.6em 0 .4em;border-bottom:2px solid #ccc}
h3{font-size:1.05em;margin:1.2em 0 .3em}
dl.who{display:grid;grid-template-columns:max-content auto;gap:.1em 1em;margin:0 0 1em}dl.who dt{color:#555}dl.who dd{margin:0}
table{border-collapse:collapse;margin:.3em 0}th,td{border:1px solid #bbb;padding:1px 5px;text-align:right;white-space:nowrap}
th{background:#eee;font-weight:600}td.t,th.t{text-align:left}
.sev{display:inline-block;padding:0 .4em;border-radius:3px;color:#fff;font-size:.85em;font-weight:600}
.sev.error{background:#c62828}.sev.warning{background:#a86400}.sev.failure{background:#4a148c;font-weight:800}
.finding{border-left:4px solid #c62828;padding:.2em 0 .2em .7em;margin:.6em 0}
.finding.warning{border-left-color:#a86400}.msg{margin:.1em 0}
.rule{font-family:ui-monospace,monospace;margin:.2em 0}.diff{font-weight:700;color:#c62828}
.explain{color:#333;background:#f6f6f6;padding:.3em .6em;margin:.2em 0 .4em;max-width:60em}
td.cmp,th.cmp{background:#ffcc33;outline:2px solid #8b0000;outline-offset:-2px}
tr.from td.t{font-style:italic}
.sheet{font-size:12px;table-layout:fixed;margin:0;font-variant-numeric:tabular-nums}
.sheet td,.sheet th{overflow:hidden;text-overflow:ellipsis}.piece+.piece .sheet{border-top:0}
.piece{content-visibility:auto;contain-intrinsic-size:auto 3800px}.sheet tr.flag td{background:#fdecea}.sheet tr:target td{background:#fff59d}
.finding:target{background:#fff8d0}.failures li{color:#4a148c;font-weight:700}
.counts td.z{color:#999}a{color:#1a4fa0}
#only{margin-right:.4em}#only:checked~table tr.clean{display:none}
svg text{font:12px system-ui,sans-serif}.wide{overflow-x:auto}
@media print{body{margin:0}.wide{overflow:visible}a{color:inherit;text-decoration:none}.sheet{font-size:9px}.finding{break-inside:avoid}}
)";

// The columns shown of a chapter table: every field of the file.
struct Sheet {
    std::optional<reportkit::TableText> table;
    std::string error;  // why the table cannot be shown
    int account = -1, sign = -1, instance = -1;
};

Sheet ReadSheet(const ChapterRun& run) {
    Sheet s;
    if (run.tablePath.empty()) return s;
    try {
        s.table = reportkit::ReadTableText(run.tablePath);
        s.account = s.table->FieldIndex("NBAL2");
        s.sign = s.table->FieldIndex("A_P");
        s.instance = s.table->FieldIndex("ID_EKZ");
    } catch (const std::exception& e) {
        s.error = e.what();
    }
    return s;
}

std::string Trimmed(const std::string& text) {
    const std::size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return text.substr(b, text.find_last_not_of(' ') - b + 1);
}

// Whether the rule reads a field of the finding's own row (a bare field name).
bool ReadsItsRow(const hostkit::FindingRecord& record) {
    for (const std::string& f : record.fields)
        if (SplitReference(f).where.empty()) return true;
    return false;
}

// The row of an account (with its sign when one is given, in the instance checked).
std::optional<std::size_t> AccountRow(const Sheet& s, const std::string& account, const std::string& sign,
                                      std::int32_t instance) {
    if (!s.table || s.account < 0 || account.empty()) return std::nullopt;
    const auto& rows = s.table->rows;
    const std::string instanceText = std::to_string(instance);
    std::optional<std::size_t> any;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (Trimmed(rows[r][s.account]) != account) continue;
        if (instance != 0 && s.instance >= 0 && rows[r][s.instance] != instanceText) continue;
        if (sign.empty() || s.sign < 0 || Trimmed(rows[r][s.sign]) == sign) return r;
        if (!any) any = r;
    }
    return any;
}

// The row of the table a finding is about: its account's row, for the row number moves when
// total rows are rebuilt; else, for a finding about the fields of one row without an account,
// the row it names.
std::optional<std::size_t> RowOf(const Finding& f, const Sheet& s, std::int32_t instance) {
    if (!s.table) return std::nullopt;
    if (f.account && !f.account->empty() && s.account >= 0)
        return AccountRow(s, *f.account, f.sign.value_or(""), instance);
    const auto& rows = s.table->rows;
    if (f.line.row && *f.line.row >= 1 && static_cast<std::size_t>(*f.line.row) <= rows.size() && ReadsItsRow(f.record))
        return static_cast<std::size_t>(*f.line.row - 1);
    return std::nullopt;
}

// Whether a place a value comes from is another account's row ("@30301").
bool IsAccount(const std::string& where) {
    return !where.empty() && std::all_of(where.begin(), where.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The rows of other accounts the rule reads (IS_ITOG@60402), by account.
std::map<std::string, std::size_t> OtherRows(const Finding& f, const Sheet& s, std::int32_t instance) {
    std::map<std::string, std::size_t> rows;
    for (const std::string& ref : f.record.fields) {
        const std::string where = SplitReference(ref).where;
        if (IsAccount(where) && !rows.count(where))
            if (const auto r = AccountRow(s, where, "", instance)) rows[where] = *r;
    }
    return rows;
}

void Cell(std::string& out, std::string_view text, std::string_view cls = {}, std::string_view tag = "td") {
    out += '<';
    out += tag;
    if (!cls.empty()) {
        out += " class=\"";
        out += cls;
        out += '"';
    }
    out += '>';
    AppendEscaped(out, text);
    out += "</";
    out += tag;
    out += '>';
}

// The characters of a UTF-8 text (its bytes that do not continue a character).
std::size_t CodePoints(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool IsTextField(const std::string& name) { return name == "NBAL2" || name == "A_P"; }

// The instance and the row's sequence number say nothing of a finding: its row shows the rest.
bool ShownInFinding(const std::string& name) { return name != "ID_EKZ" && name != "NNN"; }

std::string ColumnClass(const std::string& field, bool marked) {
    std::string cls = IsTextField(field) ? "t" : "";
    if (marked) cls += cls.empty() ? "cmp" : " cmp";
    return cls;
}

std::string Link(std::string_view anchor, std::string_view text) {
    std::string out = "<a href=\"#";
    out += anchor;
    out += "\">";
    AppendEscaped(out, text);
    out += "</a>";
    return out;
}

class PageWriter {
public:
    PageWriter(const ReportResult& result, Language language, std::string_view indexLink)
        : r_(result), w_(WordsOf(language)), language_(language), indexLink_(indexLink) {}

    std::string Write() {
        Head();
        Who();
        Counts();
        Failures(r_.failures);
        if (r_.cutOff) out_ += "<p class=\"failures\">" + Escaped(w_.cutOff) + "</p>";
        for (std::size_t i = 0; i < r_.chapters.size(); ++i) Chapter(r_.chapters[i], i);
        out_ += "</body></html>\n";
        return std::move(out_);
    }

private:
    std::string Heading() const {
        std::string h(w_.title);
        if (!r_.regn.empty()) h += ": " + r_.regn;
        if (!r_.bankName.empty()) h += " " + r_.bankName;
        if (!r_.reportingDate.empty()) h += ", " + r_.reportingDate;
        return h;
    }

    void Head() {
        out_ += "<!DOCTYPE html>\n<html lang=\"";
        out_ += w_.lang;
        out_ +=
            "\"><head><meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width\">"
            "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">"
            "<title>";
        AppendEscaped(out_, Heading());
        out_ += "</title><style>";
        out_ += kStyle;
        out_ += "</style></head><body>\n";
        if (!indexLink_.empty())
            out_ += "<p><a href=\"" + Escaped(indexLink_) + "\">\u2190 " + Escaped(w_.allReports) + "</a></p>";
        out_ += "<h1>" + Escaped(Heading()) + "</h1>\n";
    }

    void Item(std::string_view term, const std::string& value) {
        if (value.empty()) return;
        out_ += "<dt>" + Escaped(term) + "</dt><dd>" + Escaped(value) + "</dd>";
    }

    void Who() {
        out_ += "<dl class=\"who\">";
        Item(w_.regn, r_.regn);
        Item(w_.bank, r_.bankName);
        Item(w_.date, r_.reportingDate);
        Item(w_.instance, r_.instance ? std::to_string(r_.instance) : std::string());
        Item(w_.checkedAt, r_.checkedAt);
        Item(w_.version, r_.version);
        Item(w_.folder, r_.report.empty() ? r_.folder : r_.report);
        out_ += "</dl>\n";
        if (!r_.refusal.empty())
            out_ += "<p class=\"failures\"><span class=\"sev failure\">" + Escaped(w_.refused) + "</span> " +
                    Escaped(r_.refusal) + "</p>";
        if (r_.stopped) out_ += "<p class=\"failures\"><b>" + Escaped(w_.stopped) + "</b></p>";
    }

    void CountCell(int n) { out_ += n ? "<td>" + std::to_string(n) + "</td>" : "<td class=\"z\">0</td>"; }

    void Counts() {
        out_ += "<h2>" + Escaped(w_.counts) + "</h2><table class=\"counts\"><tr><th class=\"t\">" +
                Escaped(w_.chapter) + "</th><th>" + Escaped(w_.errors) + "</th><th>" + Escaped(w_.warnings) +
                "</th><th>" + Escaped(w_.failures) + "</th></tr>";
        for (std::size_t i = 0; i < r_.chapters.size(); ++i) {
            const ChapterRun& run = r_.chapters[i];
            int errors = 0, warnings = 0;
            for (const Finding& f : run.findings) {
                errors += f.line.severity == "error";
                warnings += f.line.severity == "warning";
            }
            out_ += "<tr><td class=\"t\">" + Link(ChapterAnchor(run, i), ChapterTitle(run)) + "</td>";
            CountCell(errors);
            CountCell(warnings);
            CountCell(static_cast<int>(run.failures.size()));
            out_ += "</tr>";
        }
        out_ += "<tr><th class=\"t\">" + Escaped(w_.total) + "</th>";
        for (int n : {r_.counts.errors, r_.counts.warnings, r_.counts.failures})
            out_ += "<th>" + std::to_string(n) + "</th>";
        out_ += "</tr></table>\n";
    }

    void Failures(const std::vector<Failure>& failures) {
        if (failures.empty()) return;
        out_ += "<ul class=\"failures\">";
        for (const Failure& f : failures)
            out_ +=
                "<li><span class=\"sev failure\">" + Escaped(w_.failure) + "</span> " + Escaped(f.message) + "</li>";
        out_ += "</ul>\n";
    }

    std::string ChapterTitle(const ChapterRun& run) const {
        std::string t = run.chapter.empty() ? run.table : std::string(w_.chapter) + " " + run.chapter;
        return t;
    }

    void Chapter(const ChapterRun& run, std::size_t index) {
        const Sheet sheet = ReadSheet(run);
        out_ += "<section id=\"" + ChapterAnchor(run, index) + "\"><h2>" + Escaped(ChapterTitle(run));
        if (!run.table.empty()) out_ += " \u00b7 " + Escaped(run.table);
        out_ += "</h2>\n";
        Failures(run.failures);

        // The findings by code, each code in the order it first appears; and, for the table,
        // the findings of each row.
        std::vector<std::string> codes;
        std::map<std::string, std::vector<std::size_t>> byCode;
        std::vector<std::optional<std::size_t>> rowOf(run.findings.size());
        std::map<std::size_t, std::vector<std::size_t>> findingsOfRow;
        for (std::size_t k = 0; k < run.findings.size(); ++k) {
            const Finding& f = run.findings[k];
            if (f.line.code.empty()) continue;
            auto [it, fresh] = byCode.try_emplace(f.line.code);
            if (fresh) codes.push_back(f.line.code);
            it->second.push_back(k);
            rowOf[k] = RowOf(f, sheet, r_.instance);
            if (rowOf[k]) findingsOfRow[*rowOf[k]].push_back(k);
            for (const auto& [account, row] : OtherRows(f, sheet, r_.instance))
                if (row != rowOf[k]) findingsOfRow[row].push_back(k);
        }
        if (codes.empty() && run.failures.empty()) out_ += "<p>" + Escaped(w_.noFindings) + "</p>\n";
        for (const std::string& code : codes) {
            const std::vector<std::size_t>& ks = byCode[code];
            const Finding& first = run.findings[ks.front()];
            out_ += "<h3><span class=\"sev " + Escaped(first.line.severity) + "\">" +
                    Escaped(SeverityWord(w_, first.line.severity)) + "</span> " + Escaped(code) + " \u00b7 " +
                    std::to_string(ks.size()) + "</h3>\n";
            if (const Rule* rule = FindRule(code))
                out_ += "<p class=\"explain\" title=\"" + Escaped(w_.explanation) + "\">" +
                        Escaped(rule->Explanation(language_)) + "</p>\n";
            for (std::size_t k : ks) OneFinding(run, index, k, sheet, rowOf[k]);
        }
        if (sheet.table)
            WholeTable(run, index, *sheet.table, findingsOfRow);
        else if (!sheet.error.empty())
            out_ += "<p class=\"failures\">" + Escaped(sheet.error) + "</p>";
        out_ += "</section>\n";
    }

    void OneFinding(const ChapterRun& run, std::size_t index, std::size_t k, const Sheet& sheet,
                    std::optional<std::size_t> row) {
        const Finding& f = run.findings[k];
        const std::string& sev = f.line.severity;
        out_ += "<article class=\"finding " + Escaped(sev) + "\" id=\"" + FindingAnchor(run, index, k + 1) +
                "\"><p class=\"msg\"><span class=\"sev " + Escaped(sev) + "\">" + Escaped(SeverityWord(w_, sev)) +
                "</span> <b>" + Escaped(f.line.code) + "</b> ";
        if (row)
            out_ += Link(RowAnchor(run, index, *row + 1), std::string(w_.row) + " " + std::to_string(*row + 1)) + ": ";
        else if (f.line.row)
            out_ += Escaped(std::string(w_.row) + " " + std::to_string(*f.line.row)) + ": ";
        AppendEscaped(out_, f.line.message);
        out_ += "</p>\n";
        if (sheet.table) RowTable(run, index, f, sheet, row);
        if (const auto a = ArithmeticOf(f.record)) {
            out_ += "<p class=\"rule\">" + Escaped(a->names) + "<br>" + Escaped(a->numbers);
            if (!a->difference.empty())
                out_ += ", " + Escaped(w_.difference) + " <span class=\"diff\">" + Escaped(a->difference) + "</span>";
            out_ += "</p>\n";
        }
        out_ += "</article>\n";
    }

    // The finding's row as the chapter's columns, the compared columns marked; values the rule
    // takes from elsewhere (the previous period, sums over the chapter, another account) on rows
    // of their own under the same columns.
    void RowTable(const ChapterRun& run, std::size_t index, const Finding& f, const Sheet& sheet,
                  std::optional<std::size_t> row) {
        const reportkit::TableText& table = *sheet.table;
        const std::map<std::string, std::size_t> others = OtherRows(f, sheet, r_.instance);
        std::set<std::string> marked;
        std::vector<std::string> places;  // in the order the rule reads them
        for (const std::string& ref : f.record.fields) {
            FieldReference fr = SplitReference(ref);
            if (fr.where.empty() || fr.where == "current") marked.insert(fr.field);
            if (!fr.where.empty() && std::find(places.begin(), places.end(), fr.where) == places.end())
                places.push_back(fr.where);
        }
        if (!row && places.empty()) return;
        out_ += "<div class=\"wide\"><table class=\"row\"><tr><th class=\"t\"></th>";
        for (const std::string& field : table.fields)
            if (ShownInFinding(field)) Cell(out_, field, ColumnClass(field, marked.count(field) > 0), "th");
        out_ += "</tr>";
        if (row) {
            out_ += "<tr><td class=\"t\">" + Escaped(w_.row) + " " + std::to_string(*row + 1) + "</td>";
            for (std::size_t c = 0; c < table.fields.size(); ++c) {
                const std::string& field = table.fields[c];
                if (!ShownInFinding(field)) continue;
                // The value the rule read, where the table has changed since (a rebuilt total).
                std::string value = ValueOf(f.record, field);
                if (value.empty()) value = table.rows[*row][c];
                Cell(out_, value, ColumnClass(field, marked.count(field) > 0));
            }
            out_ += "</tr>";
        }
        for (const std::string& where : places) {
            if (where == "current" && row) continue;
            const auto other = others.find(where);
            out_ += "<tr class=\"from\"><td class=\"t\">" +
                    (other == others.end() ? Escaped(PlaceWords(w_, where))
                                           : Link(RowAnchor(run, index, other->second + 1), PlaceWords(w_, where))) +
                    "</td>";
            for (const std::string& field : table.fields) {
                if (!ShownInFinding(field)) continue;
                const std::string value = ValueOf(f.record, field + "@" + where);
                const bool used = std::find(f.record.fields.begin(), f.record.fields.end(), field + "@" + where) !=
                                  f.record.fields.end();
                Cell(out_, used ? value : std::string(), ColumnClass(field, used));
            }
            out_ += "</tr>";
        }
        out_ += "</table></div>\n";
    }

    // The chapter's table in pieces of kPiece rows, each a table of its own with the same fixed
    // column widths, which the browser lays out and draws only when it comes into view: a
    // chapter of thousands of accounts opens at once. (Printing draws every piece.)
    void WholeTable(const ChapterRun& run, std::size_t index, const reportkit::TableText& table,
                    const std::map<std::size_t, std::vector<std::size_t>>& findingsOfRow) {
        constexpr std::size_t kPiece = 200;
        out_ += "<h3>" + Escaped(w_.table) + " " + Escaped(run.table) + " \u00b7 " + std::to_string(table.rows.size()) +
                " " + Escaped(w_.rows) + "</h3>\n<div class=\"wide\">";
        const std::size_t columns = table.fields.size();
        std::vector<bool> text(columns);
        std::vector<std::size_t> widths(columns + 2);  // in characters: #, the fields, the findings
        widths[0] = std::to_string(table.rows.size()).size();
        widths[columns + 1] = CodePoints(w_.findings);
        for (std::size_t c = 0; c < columns; ++c) {
            text[c] = IsTextField(table.fields[c]);
            // A bold capital is wider than a digit, the unit of the widths.
            widths[c + 1] = CodePoints(table.fields[c]) * 4 / 3 + 1;
            for (const auto& row : table.rows) widths[c + 1] = std::max(widths[c + 1], CodePoints(row[c]));
        }
        for (const auto& [row, ks] : findingsOfRow) widths[columns + 1] = std::max(widths[columns + 1], 9 * ks.size());
        std::string colgroup = "<colgroup>";
        std::size_t total = 0;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            const std::size_t width = widths[c] + (c > 0 && c <= columns && text[c - 1] ? 4 : 2);
            total += width;
            colgroup += "<col style=\"width:" + std::to_string(width) + "ch\">";
        }
        colgroup += "</colgroup>";
        const std::string piece =
            "<div class=\"piece\"><table class=\"sheet\" style=\"width:" + std::to_string(total) + "ch\">" + colgroup;
        for (std::size_t r = 0; r < table.rows.size() || r == 0; ++r) {
            if (r % kPiece == 0) {
                if (r) out_ += "</table></div>";
                out_ += piece;
                if (r == 0) {
                    out_ += "<tr><th>#</th>";
                    for (const std::string& field : table.fields)
                        Cell(out_, field, IsTextField(field) ? "t" : "", "th");
                    out_ += "<th class=\"t\">" + Escaped(w_.findings) + "</th></tr>\n";
                }
            }
            if (r >= table.rows.size()) break;
            const auto flagged = findingsOfRow.find(r);
            out_ += "<tr id=\"" + RowAnchor(run, index, r + 1) + "\"";
            if (flagged != findingsOfRow.end()) out_ += " class=\"flag\"";
            out_ += "><td>" + std::to_string(r + 1) + "</td>";
            for (std::size_t c = 0; c < columns; ++c) Cell(out_, table.rows[r][c], text[c] ? "t" : "");
            out_ += "<td class=\"t\">";
            if (flagged != findingsOfRow.end())
                for (std::size_t k : flagged->second)
                    out_ += Link(FindingAnchor(run, index, k + 1), run.findings[k].line.code) + " ";
            out_ += "</td></tr>\n";
        }
        out_ += "</table></div></div>\n";
    }

    const ReportResult& r_;
    const PageWords& w_;
    Language language_;
    std::string_view indexLink_;
    std::string out_;
};

std::string RunKey(const ChapterRun& run, std::size_t runIndex) {
    if (const auto c = reportkit::FindChapter(run.chapter)) return std::string(1, c->latin);
    return "X" + std::to_string(runIndex + 1) + "-";
}

}  // namespace

std::string_view PageStyle() { return kStyle; }

std::string ChapterAnchor(const ChapterRun& run, std::size_t runIndex) { return "c" + RunKey(run, runIndex); }

std::string FindingAnchor(const ChapterRun& run, std::size_t runIndex, std::size_t finding) {
    return "f" + RunKey(run, runIndex) + std::to_string(finding);
}

std::string RowAnchor(const ChapterRun& run, std::size_t runIndex, std::size_t row) {
    return "r" + RunKey(run, runIndex) + std::to_string(row);
}

std::string ReportPage(const ReportResult& result, Language language, std::string_view indexLink) {
    return PageWriter(result, language, indexLink).Write();
}

}  // namespace tesma::f101
