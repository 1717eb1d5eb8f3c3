#pragma once
// Who a report is about: the registration number and name of the institution of one report
// instance, as the folder's instance register (REP_EKZ.DB) and form requisites
// (REKW_<form>.DB: BNK_REGN, BNK_NAME) say them. A report tree written by import-published holds
// both; a host's own folders may hold neither.
#include <cstdint>
#include <string>

#include "report_folder.h"

namespace tesma::reportkit {

struct ReportIdentity {
    std::string regn;      // UTF-8; empty when the report does not say
    std::string bankName;  // UTF-8; empty when the report does not say
};

// The identity of `instance` (its ID_EKZ; 0: the report as a whole, read from its first
// requisites). Never fails: a register or requisites table that cannot be read leaves the
// parts it holds empty, and the runs of the library say what is wrong with it.
ReportIdentity ReadReportIdentity(const ReportFolder& folder, std::int32_t instance);

}  // namespace tesma::reportkit
