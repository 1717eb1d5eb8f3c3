#pragma once
// The run entries behind the exports.
#include <cstdint>
#include <string>

#include "host/dispatcher.h"

namespace tesma::host {

struct RunArguments {
    void* owner = nullptr;
    std::int32_t tableId = 0;
    std::int32_t passThrough = 0;
    std::int32_t mode = 0;
    std::int32_t instanceId = 0;
    double reportDate = 0;
    std::string protocolPath;
    std::string dataDir;
    std::string overrideDir;  // empty for RunControl
    const void* const* forms = nullptr;
    std::int32_t formCount = 0;
    const void* const* tables = nullptr;
    std::int32_t tableCount = 0;
    const void* const* fields = nullptr;
    std::int32_t fieldCount = 0;
    const void* const* extras = nullptr;
    std::int32_t extraCount = 0;
    // What the run executes, in order: for a host's call, the control procedures of the table
    // and mode (see ProceduresFor).
    RunProcedures procedures;

    // Takes the form, table and field lists of a set of host records (anything with
    // Forms()/FormCount(), Tables()/TableCount(), Fields()/FieldCount()).
    template <typename Records>
    void SetLists(const Records& records) {
        forms = records.Forms();
        formCount = records.FormCount();
        tables = records.Tables();
        tableCount = records.TableCount();
        fields = records.Fields();
        fieldCount = records.FieldCount();
    }
};

// Creates the progress window with the run context, shows it modally (the run happens inside)
// and destroys it. Returns true; an exception that escapes the modal display passes to the
// caller after the window is destroyed.
bool RunEntry(const RunArguments& args);

}  // namespace tesma::host
