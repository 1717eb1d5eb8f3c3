// The three exports of libtesmaC.so. No exception crosses this boundary.
#include <exception>

#include "controls/procedure_table.h"
#include "host/dispatcher.h"
#include "host/run_entry.h"
#include "platform/ui/backend.h"
#include "tesma/tesmaC.h"

namespace {

bool Run(tesma::host::RunArguments args) {
    try {
        return tesma::host::RunEntry(args);
    } catch (const std::exception& e) {
        // The call itself failed (the window could not be shown): tell the operator, and the
        // host through the result.
        try {
            tesma::ui::CurrentBackend().ShowError(e.what());
        } catch (...) {
        }
        return false;
    } catch (...) {
        return false;
    }
}

const char* OrEmpty(const char* s) { return s ? s : ""; }

// What a host's call runs: the control procedures of form 101 for the table and mode.
tesma::host::RunProcedures ControlProcedures(int32_t tableId, int32_t mode) {
    return tesma::host::ProceduresFor(tesma::controls::ProcedureTable(), tableId, mode);
}

}  // namespace

extern "C" {

[[gnu::visibility("default")]] bool RunControl1(void* owner, int32_t table_id, int32_t pass_through, int32_t mode,
                                                int32_t instance_id, double report_date, const char* protocol_path,
                                                const char* data_dir, const char* override_dir,
                                                const void* const* forms, int32_t form_count, const void* const* tables,
                                                int32_t table_count, const void* const* fields, int32_t field_count,
                                                const void* const* extras, int32_t extra_count) {
    return Run({owner, table_id, pass_through, mode, instance_id, report_date, OrEmpty(protocol_path),
                OrEmpty(data_dir), OrEmpty(override_dir), forms, form_count, tables, table_count, fields, field_count,
                extras, extra_count, ControlProcedures(table_id, mode)});
}

[[gnu::visibility("default")]] bool RunControl(void* owner, int32_t table_id, int32_t pass_through, int32_t mode,
                                               int32_t instance_id, double report_date, const char* protocol_path,
                                               const char* data_dir, const void* const* forms, int32_t form_count,
                                               const void* const* tables, int32_t table_count,
                                               const void* const* fields, int32_t field_count,
                                               const void* const* extras, int32_t extra_count) {
    return Run({owner, table_id, pass_through, mode, instance_id, report_date, OrEmpty(protocol_path),
                OrEmpty(data_dir), std::string(), forms, form_count, tables, table_count, fields, field_count, extras,
                extra_count, ControlProcedures(table_id, mode)});
}

[[gnu::visibility("default")]] bool FormIsChecked(int32_t table_id, int32_t mode) {
    return tesma::host::FormIsChecked(tesma::controls::ProcedureTable(), table_id, mode);
}

}  // extern "C"
