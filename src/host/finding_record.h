#pragma once
// A protocol line's facts as the finding record a host reads (TESMA_ENV_FINDINGS in tesmaC.h
// documents the format).
#include <string>

#include "runtime/line_facts.h"

namespace tesma::host {

// The record's text, its line feed included.
std::string FindingRecord(const runtime::LineFacts& facts);

// A number as a record writes it: an exact text as it is; a binary one as the shortest fixed
// text that reads back as it (as a double where it is one).
std::string RecordNumber(const runtime::Number& n);

}  // namespace tesma::host
