#pragma once
// Defaulting of missing values, value and number texts, dates.
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace tesma {

// `def` when `value` is null or an empty text, else `value`. An unassigned value is an
// invalid-value error.
Value NullToDefault(const Value& value, const Value& def);

// The text of a value: reals in the general number text with "." whatever the system's
// decimal separator; dates "DD.MM.YYYY" (empty for the date 0); null and other kinds empty.
std::string ValueToText(const Value& value);

// A value as a Real, as the balance controls take their amounts: numbers as they are, texts
// read by TextToNumber, dates as day counts, null and unassigned 0.
long double ValueToReal(const Value& value);

// The text (or "0" when empty) read as a real with the system's decimal separator;
// anything else is a conversion error naming the text.
long double TextToNumber(std::string_view text);

// Reads a date written in `format` ("DD.MM.YYYY", "YYYYMMDD", "MM/DD/YYYY", ...). A text that is
// not a valid date is a conversion error naming the text.
double TextToDate(std::string_view text, std::string_view format);

// Reads a date in the system's short date format (the form of date fields in the row buffer).
double ShortDateTextToDate(std::string_view text);

// A date formatted by a pattern (DD, MM, YYYY, YYYYMMDD, YYYYMMDDHH24MISS, ...); "D" alone is
// the day of the week, Monday 1 to Sunday 7; the date 0 gives the empty text.
std::string DatePartText(std::string_view format, double date);

// Now, with the time of day.
double CurrentDateTime();

}  // namespace tesma
