#include "runtime/row_instances.h"

#include <string>
#include <vector>

#include "platform/engine/files.h"
#include "platform/errors.h"
#include "runtime/run.h"
#include "runtime/sql_text.h"

namespace tesma {

using runtime::CurrentRun;

namespace {

constexpr std::string_view kInstanceField = "ID_EKZ";

std::string MainTablePath(const runtime::Run& run) { return engine::JoinPath(run.DataDir, run.MainTableFile + ".DB"); }

// The instances of the main table's rows as they stand, in increasing order; a row without
// one counts as 0.
std::vector<std::int32_t> InstancesOfMainRows(runtime::Run& run) {
    if (!run.Q.Active() || run.Q.FindField(kInstanceField) < 0) return {};
    auto& qq = run.QQ;
    qq.Close();
    qq.ClearSql();
    qq.AddLine("select distinct ID_EKZ from " + SqlTable(MainTablePath(run)) + " order by ID_EKZ");
    struct CloseAfter {
        engine::Query& q;
        ~CloseAfter() { q.Close(); }
    } closeAfter{qq};
    qq.Open();
    std::vector<std::int32_t> ids;
    for (qq.First(); !qq.Eof(); qq.Next()) {
        const auto id = static_cast<std::int32_t>(qq.AsInteger(0));
        if (ids.empty() || ids.back() != id) ids.push_back(id);
    }
    return ids;
}

// The one instance of the main table's rows, found once per run.
std::int32_t OneInstanceOfMainRows(runtime::Run& run) {
    if (run.RowsInstanceId) return *run.RowsInstanceId;
    const std::vector<std::int32_t> ids = InstancesOfMainRows(run);
    if (ids.size() > 1) {
        std::string list;
        for (std::int32_t id : ids) list += (list.empty() ? "" : ", ") + (id == 0 ? "none" : std::to_string(id));
        throw Failure("table " + MainTablePath(run) + " holds the rows of several report instances (ID_EKZ " + list +
                      "): a run on the report as a whole (instance 0) would mix them; choose one instance. Nothing "
                      "was changed");
    }
    run.RowsInstanceId = ids.empty() ? 0 : ids.front();
    return *run.RowsInstanceId;
}

}  // namespace

std::int32_t RowInstanceId() {
    auto& q = CurrentRun().Q;
    const int field = q.FindField(kInstanceField);
    if (field < 0) return 0;
    return static_cast<std::int32_t>(q.AsInteger(field));
}

void RequireOneInstance() {
    runtime::Run& run = CurrentRun();
    if (run.InstanceId == 0) OneInstanceOfMainRows(run);
}

std::int32_t NewRowInstanceId() {
    runtime::Run& run = CurrentRun();
    return run.InstanceId != 0 ? run.InstanceId : OneInstanceOfMainRows(run);
}

}  // namespace tesma
