#include "runtime/report_location.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <vector>

#include "platform/engine/files.h"
#include "platform/errors.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "runtime/conversions.h"
#include "runtime/run.h"
#include "runtime/sql_text.h"

namespace tesma {

using runtime::CurrentRun;

namespace {

std::string Join(std::string_view folder, std::string_view name) { return engine::JoinPath(folder, name); }

// "/YYYYMMDD/" of a date (the date 0 included: 30 December 1899).
std::string DateComponent(double date) {
    const locale::CivilDate c = locale::DecodeDate(date);
    char buf[16];
    std::snprintf(buf, sizeof buf, "/%04d%02d%02d/", c.year, c.month, c.day);
    return buf;
}

// REG_NUM and FILIAL_NUM of the instance under control, from the register of the data folder.
struct Bank {
    std::string regNum, filialNum;
};

Bank InstanceBank() {
    runtime::Run& run = CurrentRun();
    auto& qq = run.QQ;
    qq.Close();
    qq.ClearSql();
    qq.AddLine("select * from " + SqlTable(Join(run.DataDir, "REP_EKZ.DB")) +
               " where ID_EKZ=" + std::to_string(run.InstanceId));
    qq.Open();
    Bank bank{qq.AsText(qq.FieldByName("REG_NUM")), qq.AsText(qq.FieldByName("FILIAL_NUM"))};
    qq.Close();
    return bank;
}

// ID_EKZ of the same bank and branch in the register of `folder`; 0 when absent.
std::int32_t SameBankInstance(const std::string& folder, const Bank& bank, std::string_view changeCondition) {
    auto& qq = CurrentRun().QQ;
    qq.Close();
    qq.ClearSql();
    qq.AddLine("select * from " + SqlTable(Join(folder, "REP_EKZ.DB")) + " where REG_NUM='" + SqlQuoted(bank.regNum) +
               "'   and FILIAL_NUM='" + SqlQuoted(bank.filialNum) + "'   and " + std::string(changeCondition) + " ");
    qq.Open();
    auto id = static_cast<std::int32_t>(qq.AsInteger(qq.FieldByName("ID_EKZ")));
    qq.Close();
    return id;
}

struct TableName {
    std::string code, file;
};

// The table name map of another form: its rfdef.DB rows by FDORDER, FORDER, with repeated
// file names told apart by their position.
std::vector<TableName> ReadTableNameMap(const std::string& definitionsDir) {
    auto& q = CurrentRun().QQQ;
    q.Close();
    q.ClearSql();
    q.AddLine("select * from " + SqlTable(Join(definitionsDir, "rfdef.DB")));
    q.AddLine("order by FDORDER,FORDER");
    q.Open();
    std::vector<TableName> map;
    const int code = q.FieldByName("FSNAME"), table = q.FieldByName("FTABLE"), toIdf = q.FieldByName("TO_IDF"),
              order = q.FieldByName("FORDER");
    for (q.First(); !q.Eof(); q.Next()) {
        if (map.size() == 120)
            throw RangeError("range check error: more than 120 table definitions in " +
                             Join(definitionsDir, "rfdef.DB"));
        std::string file = q.AsText(table).substr(0, 40);
        if (q.AsInteger(toIdf) != 0) file = (file + "_" + q.AsText(order)).substr(0, 40);
        map.push_back({q.AsText(code).substr(0, 10), file});
    }
    q.Close();
    for (std::size_t n = 1; n < map.size(); ++n) {
        for (std::size_t k = 0; k < n; ++k) {
            if (map[k].file != map[n].file) continue;
            map[n].file = (map[n].file + "_" + std::to_string(n + 1)).substr(0, 40);
            break;
        }
    }
    return map;
}

}  // namespace

double ReportDate() { return CurrentRun().ReportDate; }

std::int32_t ReportInstanceId() { return CurrentRun().InstanceId; }

std::string CurrentFormDirName() {
    runtime::Run& run = CurrentRun();
    const auto& lists = run.Lists;
    for (std::int32_t i = 1; i <= lists.tables.Count(); ++i) {
        if (lists.TableId(i) != run.MainTableId) continue;
        std::int32_t formId = lists.TableFormId(i);
        if (formId == 0) return {};
        for (std::int32_t f = 1; f <= lists.forms.Count(); ++f)
            if (lists.FormId(f) == formId) return lists.FormDirName(f);
        return {};
    }
    return {};
}

std::string ReplaceDateDir(std::string_view path, double newDate, double curDate) {
    const std::string current = DateComponent(curDate);
    auto pos = path.rfind(current);
    if (pos == std::string_view::npos) return std::string(path);
    return std::string(path.substr(0, pos)) + DateComponent(newDate) + std::string(path.substr(pos + current.size()));
}

std::string ReplacePathDir(std::string_view path, std::string_view oldDir, std::string_view newDir) {
    const std::string search = ("/" + std::string(oldDir) + "/").substr(0, 40);
    auto pos = path.find(search);
    if (pos == std::string_view::npos) return std::string(path);
    return std::string(path.substr(0, pos)) + "/" + std::string(newDir) + "/" +
           std::string(path.substr(pos + search.size()));
}

namespace {

// The names in the folder that holds the report's dated folders, to skip the dates that have
// no folder without asking the file system a thousand times. Nothing when it cannot be read:
// then every date is probed.
std::optional<std::set<std::string>> DatedFolderNames(std::string_view dataDir, double reportDate) {
    const std::string current = DateComponent(reportDate);
    const auto pos = dataDir.rfind(current);
    if (pos == std::string_view::npos) return std::nullopt;
    std::error_code ec;
    std::set<std::string> names;
    for (std::filesystem::directory_iterator it(engine::DiskPath(std::string(dataDir.substr(0, pos + 1))), ec), end;
         !ec && it != end; it.increment(ec))
        names.insert(it->path().filename().string());
    if (ec) return std::nullopt;
    return names;
}

}  // namespace

double PreviousReportDate() {
    runtime::Run& run = CurrentRun();
    run.OtherInstanceId = 0;
    Bank bank;
    if (run.InstanceId != 0) bank = InstanceBank();
    const double start = run.ReportDate;
    const auto existing = DatedFolderNames(run.DataDir, start);
    double d = start;
    bool finished = false;
    do {
        d -= 1;
        if (start - d > 1000) {
            d = 0;
            finished = true;
        }
        const std::string folder = ReplaceDateDir(run.DataDir, d, run.ReportDate);
        if (folder == run.DataDir) {
            // The data folder carries no "/YYYYMMDD/" component of the reporting date, so no
            // folder of another date can be told from it: the report itself is not its own
            // previous report.
            d = 0;
            break;
        }
        const std::string component = DateComponent(d);
        if (existing && !existing->count(component.substr(1, component.size() - 2))) continue;
        if (engine::FileExists(Join(folder, run.MainTableFile + ".DB"))) {
            if (run.InstanceId == 0) {
                finished = true;
            } else {
                run.OtherInstanceId = SameBankInstance(folder, bank, "FL_CHANGE=''");
                if (run.OtherInstanceId != 0) finished = true;
            }
        }
    } while (!finished);
    return d;
}

void OpenAuxTable(std::string_view tableRef, std::string_view orderBy, std::string_view condition, double date) {
    if (date == 0) return;
    runtime::Run& run = CurrentRun();
    auto& q = run.QQQ;
    const std::string ref = text::LatinUpper(tableRef);
    q.Close();
    std::string qualifier, name = ref;
    bool qualified = false;
    if (auto dot = ref.find('.'); dot != std::string::npos) {
        qualified = true;
        qualifier = ref.substr(0, dot);
        name = ref.substr(dot + 1, 255);
    }
    const std::string dated = ReplaceDateDir(run.DataDir, date, run.ReportDate);
    // Another date asked for, but no date component to change: that date's folder is unknown,
    // and the current folder's table must not stand in for it.
    const bool otherDateUnknown = date != run.ReportDate && dated == run.DataDir;
    const bool byFileName = qualified && qualifier == "!";
    std::string folder, file;
    if (!qualified || qualifier.empty()) {
        folder = dated;
        if (name == "REP_EKZ") {
            file = "REP_EKZ";
        } else {
            const auto& lists = run.Lists;
            for (std::int32_t i = 1; i <= lists.tables.Count(); ++i)
                if (lists.TableCode(i) == name) {
                    file = lists.TableFileName(i);
                    break;
                }
        }
    } else if (byFileName) {
        file = name;
        folder = run.OverrideDir.empty() ? dated : run.OverrideDir;
    } else {
        folder = ReplacePathDir(dated, CurrentFormDirName(), qualifier);
        const std::string component = "/" + qualifier + "/";
        auto pos = folder.find(component);
        if (pos == std::string::npos) return;
        const std::string definitions =
            folder.substr(0, pos + 1 + qualifier.size()) + "/" + DatePartText("YYYYMMDD", date);
        if (!engine::FileExists(Join(definitions, "rfdef.DB"))) return;
        for (const TableName& entry : ReadTableNameMap(definitions))
            if (entry.code == name) {
                file = entry.file;
                break;
            }
    }
    if (file.empty()) return;
    if (otherDateUnknown && !(byFileName && !run.OverrideDir.empty())) return;
    if (!engine::FileExists(Join(folder, file + ".DB")) && !engine::FileExists(Join(folder, file + ".DBF"))) return;

    q.ClearSql();
    if (file == "REP_EKZ") {
        q.AddLine("select * from " + SqlTable(Join(folder, "REP_EKZ.DB")));
        if (!condition.empty()) q.AddLine(" where (" + std::string(condition) + ")");
        if (!orderBy.empty()) q.AddLine(" order by " + std::string(orderBy));
        q.Open();
        return;
    }
    const bool byInstance = run.InstanceId != 0 && !byFileName;
    if (byInstance) {
        run.OtherInstanceId = SameBankInstance(folder, InstanceBank(), "FL_CHANGE =''");
        if (run.OtherInstanceId == 0) return;
    }
    q.ClearSql();
    q.AddLine("select * from " + SqlTable(Join(folder, file)));
    if (byInstance) q.AddLine(" where ID_EKZ=" + std::to_string(run.OtherInstanceId));
    if (!condition.empty()) q.AddLine((byInstance ? " and (" : " where (") + std::string(condition) + ")");
    if (!orderBy.empty()) q.AddLine(" order by " + std::string(orderBy));
    q.Open();
}

void OpenMainRowsOnAux(std::string_view tableCode, std::string_view orderBy) {
    runtime::Run& run = CurrentRun();
    auto& q = run.QQQ;
    q.Close();
    const std::string code = text::LatinUpper(tableCode);
    const auto& lists = run.Lists;
    std::string file;
    for (std::int32_t i = 1; i <= lists.tables.Count(); ++i)
        if (lists.TableCode(i) == code) {
            file = lists.TableFileName(i);
            break;
        }
    if (file.empty() || file != run.MainTableFile) return;
    // The same rows as the main cursor's statement: the instance by its own ID_EKZ, not the
    // bank's unchanged instance that OpenAuxTable looks up in the register.
    q.ClearSql();
    q.AddLine("select * from " + SqlTable(Join(run.DataDir, file + ".DB")));
    if (run.InstanceId != 0) q.AddLine(" where ID_EKZ=" + std::to_string(run.InstanceId));
    if (!orderBy.empty()) q.AddLine(" order by " + std::string(orderBy));
    q.Open();
}

}  // namespace tesma
