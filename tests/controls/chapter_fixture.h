#pragma once
// A form 101 report for the control tests: the current month (1 December 2025), the previous
// month, the chart of accounts, and a run of one control procedure whose protocol lines are
// returned.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/dispatcher.h"
#include "library.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "support/in_run.h"
#include "support/report.h"
#include "support/tables.h"

namespace tesma::testing {

struct Account {
    std::string nbal, ap;
    std::array<double, 12> a{};  // VX rub, val, itog; debit rub, val, itog; credit ...; IS ...
};

struct ChartAccount {
    ChartAccount(std::string n, std::string sign = "1") : number(std::move(n)), ap(std::move(sign)) {}
    std::string number;
    std::string ap;
    std::string zero;
    std::string currency;
    double end = locale::EncodeDate(2099, 12, 31);
};

inline std::vector<engine::NewField> ChartFields() {
    return {{"BS2_NUM", engine::FieldType::Alpha, 5},
            {"PS_ACC_DATE_END", engine::FieldType::Date, 0},
            {"PS_ZERO", engine::FieldType::Alpha, 1},
            {"AP", engine::FieldType::Alpha, 3},
            {"PS_ACC_CURRENCY", engine::FieldType::Alpha, 1}};
}

class ChapterReport {
public:
    const double kDate = locale::EncodeDate(2025, 12, 1);
    const double kPrevious = locale::EncodeDate(2025, 11, 1);

    std::string TablePath(double date, char chapter) const { return tree.DateDir(date) + ChapterFile(chapter) + ".DB"; }

    void Write(double date, char chapter, const std::vector<Account>& accounts, std::int32_t instance = 0) const {
        std::vector<std::vector<engine::Cell>> rows;
        std::int32_t key = 1;
        for (const auto& acc : accounts) {
            Amounts am{acc.a[0], acc.a[1], acc.a[2], acc.a[3], acc.a[4],  acc.a[5],
                       acc.a[6], acc.a[7], acc.a[8], acc.a[9], acc.a[10], acc.a[11]};
            rows.push_back(
                ChapterRow(instance, text::FromUtf8(acc.nbal, true), text::FromUtf8(acc.ap, true), am, key++));
        }
        WriteParadoxTable(TablePath(date, chapter), ChapterFields(), rows);
    }

    void WriteChart(const std::vector<ChartAccount>& chart) const {
        std::vector<std::vector<engine::Cell>> rows;
        auto text = [](const std::string& s) { return s.empty() ? engine::Cell::Blank() : engine::Cell::Text(s); };
        for (const auto& c : chart)
            rows.push_back({text(c.number), engine::Cell::Date(c.end), text(c.zero), text(text::FromUtf8(c.ap, true)),
                            text(c.currency)});
        WriteParadoxTable(tree.DateDir(kDate) + "PS_WORK.DB", ChartFields(), rows);
    }

    // Runs `procedure` as the table's control and returns the protocol it wrote.
    std::string Run(std::int32_t tableId, std::function<void()> procedure, std::int32_t instance = 0) {
        std::filesystem::remove(tree.Protocol());
        hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());
        RunInside({tableId, 4, instance, kDate, tree.Protocol(), tree.DateDir(kDate), ""}, records, procedure);
        return std::filesystem::exists(tree.Protocol()) ? FileBytes(tree.Protocol()) : "";
    }

    // Runs what the library does for the table in `mode` through its exported entry, loaded as
    // a host loads it, and returns the protocol it wrote.
    std::string RunExported(std::int32_t tableId, std::int32_t mode, std::int32_t instance = 0,
                            const std::vector<hostkit::TableRecord>& tables = Form101Tables()) {
        std::filesystem::remove(tree.Protocol());
        hostkit::DescriptorSet records(Form101Forms(), tables, Form101Fields());
        hostkit::Library lib(TESMA_LIB_PATH);
        const std::string dataDir = tree.DateDir(kDate);
        lib.RunControl(nullptr, tableId, 0, mode, instance, kDate, tree.Protocol().c_str(), dataDir.c_str(),
                       records.Forms(), records.FormCount(), records.Tables(), records.TableCount(), records.Fields(),
                       records.FieldCount(), nullptr, 0);
        return std::filesystem::exists(tree.Protocol()) ? FileBytes(tree.Protocol()) : "";
    }

    std::vector<std::vector<engine::Cell>> Rows(char chapter) const { return ReadTable(TablePath(kDate, chapter)); }

    ScriptedUi ui;
    ReportTree tree;
};

// Lines in UTF-8, joined as the protocol holds them: code page 1251, CR LF.
inline std::string Lines(std::initializer_list<std::string> utf8) {
    std::string out;
    for (const auto& l : utf8) out += text::FromUtf8(l, true) + "\r\n";
    return out;
}

}  // namespace tesma::testing
