// The requisites of the electronic report message: eight key and value rows written into the
// first eight rows of its table.
#include <functional>
#include <map>

#include "controls/procedures.h"
#include "platform/errors.h"
#include "platform/text/cp1251.h"
#include "runtime/arrays.h"
#include "runtime/conversions.h"
#include "runtime/record_access.h"
#include "runtime/report_location.h"
#include "runtime/requisites.h"
#include "runtime/row_instances.h"
#include "runtime/run.h"
#include "tesma/tesmaC.h"

namespace tesma::controls {

using namespace tesma::literals;

void FillReportRequisites() {
    ResetArrays();
    WriteHeaderLine(contract::kProcedureFillReportRequisites, "**Заполнение реквизитов ОЭС"_cpv);
    // With a report instance the procedure changes nothing.
    if (ValueToReal(NullToDefault(Value::Int(ReportInstanceId()), Value::Int(0))) != 0) return;

    // The report as a whole: the message table holds each instance's rows (ID_EKZ), and each
    // instance's first eight rows are filled from that instance's own requisites; rows of no
    // instance from the requisites as they come, which must then be those of one instance.
    struct Requisite {
        const char* key;
        std::function<std::string(const std::string& branch)> value;  // computed when its row is reached
    };
    const Requisite rows[] = {
        {"OKUD", [](const std::string&) { return std::string("0409101"); }},
        {"OKATO", [](const std::string&) { return ValueToText(LookupValue("ZNACH", "BNK_SOATO", "K3_REKW")); }},
        {"OKPO", [](const std::string&) { return ValueToText(LookupValue("ZNACH", "BNK_OKPO", "K3_REKW")); }},
        {"RNKO",
         [](const std::string& branch) {
             return branch.empty() || branch == "0" ? BankRegNumber() : BankRegNumber() + "/" + branch;
         }},
        {"BIKKO", [](const std::string&) { return ValueToText(LookupValue("ZNACH", "BNK_BIK", "K3_REKW")); }},
        {"DTMO", [](const std::string&) { return DatePartText("YYYYMMDD", ReportDate()); }},
        {"DTME", [](const std::string&) { return DatePartText("YYYYMMDD", ReportDate()); }},
        {"DTMF", [](const std::string&) { return DatePartText("YYYYMMDDHH24MISS", CurrentDateTime()); }},
    };
    struct Filling {
        std::size_t rows = 0;  // rows of the instance met so far
        std::string branch;    // BNK_FILN, read at its first row
    };
    std::map<std::int32_t, Filling> instances;
    for (FirstRow(); !RowsEnded(); NextRow()) {
        const std::int32_t instance = RowInstanceId();
        const RequisitesOfInstance requisites(instance);
        Filling& f = instances[instance];
        if (++f.rows == 1) {
            // Rows of no instance take the requisites as they come: only when they are those of
            // one instance, never a mixture of several.
            if (instance == 0 && !FormRequisitesOfOneInstance())
                throw Failure("rows of the message table " + runtime::CurrentRun().MainTableFile +
                              " carry no report instance (ID_EKZ), and the requisites are those of several "
                              "instances: which one's to fill them with is not known. Nothing was changed");
            f.branch = BankBranchNumber();
        }
        if (f.rows > std::size(rows)) continue;
        const Requisite& q = rows[f.rows - 1];
        SetRowField("KEY_REKW", Value::Str(q.key));
        SetRowField("VALUE_REKW", Value::Str(q.value(f.branch)));
    }
}

}  // namespace tesma::controls
