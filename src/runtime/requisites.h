#pragma once
// Requisites: the bank's identifying values as code/value rows, in the form's requisites table
// of the report (REKW_<form folder>.DB) and in the common table REKWTU.DB beside the host
// program; and single-value lookups in any table the host describes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace tesma {

std::string ReadFormRequisite(std::string_view code);
// Whether the form's requisites are those of one instance at most: its rows carry one ID_EKZ (or
// the table has none, or no ID_EKZ field).
bool FormRequisitesOfOneInstance();
std::string ReadCommonRequisite(std::string_view code);
std::string BankRegNumber();     // BNK_REGN
std::string BankBranchNumber();  // BNK_FILN
// A requisite when the table name holds "_REKW" (GU_REKW: the common table), else the field of
// the row whose key field equals keyValue in the table of that code. Integer 0 when nothing.
Value LookupValue(std::string_view fieldName, std::string_view keyValue, std::string_view tableName);
Value LookupKeyedValue(std::string_view fieldName, std::string_view keyValue, std::int32_t tableId);

// While it lives, requisites are read for `instance` (0: with no condition on ID_EKZ) instead of
// the run's own instance: a run on the report as a whole fills each instance's rows from that
// instance's own requisites, never from a mixture.
class RequisitesOfInstance {
public:
    explicit RequisitesOfInstance(std::int32_t instance);
    ~RequisitesOfInstance();
    RequisitesOfInstance(const RequisitesOfInstance&) = delete;
    RequisitesOfInstance& operator=(const RequisitesOfInstance&) = delete;

private:
    std::optional<std::int32_t> previous_;
};

}  // namespace tesma
