#pragma once
// `f101 check --html PATH`: the check's results as pages a person reads in a browser. One report:
// PATH is its page. A batch: PATH is a folder with index.html (every report in numeric order of
// registration number, the counts by code across them with a bar chart) and one page per report,
// written as each report is done. Made from the results alone (the tables are read from the
// files the results name), so it works the same whichever process checked a report.
#include <map>
#include <string>
#include <vector>

#include "check_sink.h"
#include "language.h"

namespace tesma::f101 {

// A single report's page, written when the command is done. Throws std::runtime_error naming
// the file when it cannot be written.
class HtmlReport : public CheckSink {
public:
    HtmlReport(std::string path, Language language) : path_(std::move(path)), language_(language) {}
    void ReportDone(const ReportResult& report) override;
    void BatchDone(const BatchResult& batch) override;

private:
    std::string path_;
    Language language_;
    std::string page_;
};

// A batch's folder of pages. The folder is made at once (a UsageError when PATH is a file);
// a page that cannot be written is said at the end, as a std::runtime_error naming it.
class HtmlBatch : public CheckSink {
public:
    HtmlBatch(std::string folder, Language language);
    void ReportDone(const ReportResult& report) override;
    void BatchDone(const BatchResult& batch) override;

    // What the index says of one report.
    struct Entry {
        std::string page;  // file name in the folder; empty when no page was written
        std::string regn, bankName, reportingDate, folder;
        FindingCounts counts;
        std::string state;                              // clean, findings, failed, stopped, refused, not run
        std::map<std::string, int> findingsByCode;      // code → findings
        std::map<std::string, std::string> severityOf;  // code → error / warning
    };

private:
    std::string PageName(const ReportResult& report);

    std::string folder_;
    Language language_;
    std::map<std::string, std::vector<Entry>> done_;  // by the folder as named, in the order done
    std::map<std::string, int> names_;                // page names taken
    std::string firstError_;
};

// The index page of a batch's entries.
std::string IndexPage(std::vector<HtmlBatch::Entry> entries, Language language, double seconds, bool stopped);

}  // namespace tesma::f101
