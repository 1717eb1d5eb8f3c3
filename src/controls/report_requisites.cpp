// The requisites of the electronic report message: eight key and value rows written into the
// first eight rows of its table.
#include <functional>

#include "controls/procedures.h"
#include "platform/text/cp1251.h"
#include "runtime/arrays.h"
#include "runtime/conversions.h"
#include "runtime/record_access.h"
#include "runtime/report_location.h"
#include "runtime/requisites.h"
#include "runtime/run.h"
#include "tesma/tesmaC.h"

namespace tesma::controls {

using namespace tesma::literals;

void FillReportRequisites() {
    ResetArrays();
    WriteHeaderLine(contract::kProcedureFillReportRequisites, "**Заполнение реквизитов ОЭС"_cpv);
    const std::string branch = BankBranchNumber();
    // With a report instance the procedure changes nothing.
    if (ValueToReal(NullToDefault(Value::Int(ReportInstanceId()), Value::Int(0))) != 0) return;

    struct Requisite {
        const char* key;
        std::function<std::string()> value;  // computed when its row is reached
    };
    const Requisite rows[] = {
        {"OKUD", [] { return std::string("0409101"); }},
        {"OKATO", [] { return ValueToText(LookupValue("ZNACH", "BNK_SOATO", "K3_REKW")); }},
        {"OKPO", [] { return ValueToText(LookupValue("ZNACH", "BNK_OKPO", "K3_REKW")); }},
        {"RNKO", [&] { return branch.empty() || branch == "0" ? BankRegNumber() : BankRegNumber() + "/" + branch; }},
        {"BIKKO", [] { return ValueToText(LookupValue("ZNACH", "BNK_BIK", "K3_REKW")); }},
        {"DTMO", [] { return DatePartText("YYYYMMDD", ReportDate()); }},
        {"DTME", [] { return DatePartText("YYYYMMDD", ReportDate()); }},
        {"DTMF", [] { return DatePartText("YYYYMMDDHH24MISS", CurrentDateTime()); }},
    };
    std::size_t r = 1;
    for (FirstRow(); !RowsEnded(); ++r, NextRow()) {
        if (r > std::size(rows)) continue;
        const Requisite& q = rows[r - 1];
        SetRowField("KEY_REKW", Value::Str(q.key));
        SetRowField("VALUE_REKW", Value::Str(q.value()));
    }
}

}  // namespace tesma::controls
