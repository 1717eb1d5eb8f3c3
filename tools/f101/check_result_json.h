#pragma once
// The results of `f101 check` as JSON, every field kept, so that a process that checks reports
// (a batch's worker) can hand them to the one that prints them, which then prints exactly what
// the worker would have printed itself.
//
// The stream is JSON Lines: one object per line, {"chapter": {…}} as each chapter's run ends,
// then {"report": {…}} (the report without its chapters), which completes the report made of
// the chapter lines before it. A worker may send any number of reports down one stream; a
// stream that ends in the middle of a report leaves its chapters so far. Texts are UTF-8
// strings; a text that is not valid UTF-8 (a folder name in another encoding) is an object
// {"bytes": "<hex>"}; the finding records' code page 1251 texts are written in UTF-8, the one
// byte the code page leaves undefined (0x98) as U+0098. Amounts stay the decimal texts the
// library wrote, every digit kept.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>
#include <vector>

#include "check_sink.h"

namespace tesma::f101 {

nlohmann::json ChapterRunJson(const ChapterRun& run);
ChapterRun ChapterRunFromJson(const nlohmann::json& j);
// With `withChapters` false, the report without its chapters (the stream's report line).
nlohmann::json ReportResultJson(const ReportResult& result, bool withChapters = true);
// Throws std::runtime_error for a document that is not a report result.
ReportResult ReportResultFromJson(const nlohmann::json& j);

// Writes the stream: a line per chapter's run as it ends, a line per report, each flushed.
class ResultWriter : public CheckSink {
public:
    explicit ResultWriter(std::ostream& out) : out_(out) {}
    void ChapterDone(const ReportResult& report, const ChapterRun& run) override;
    void ReportDone(const ReportResult& report) override;

private:
    std::ostream& out_;
};

// Reads the stream line by line.
class ResultReader {
public:
    // One line (without its line feed); true when it completed a report (then Take() gives
    // it). A line that is not of the stream is a std::runtime_error.
    bool Add(std::string_view line);
    ReportResult Take();
    // The chapters read since the last report completed: those of a report whose stream ended
    // before its report line.
    const std::vector<ChapterRun>& Pending() const { return pending_; }

private:
    std::vector<ChapterRun> pending_;
    std::optional<ReportResult> done_;
};

}  // namespace tesma::f101
