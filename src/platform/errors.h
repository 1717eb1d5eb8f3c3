#pragma once
// The failures of the library. Runtime operations return values; a real failure is one of
// these exceptions, carrying a message (code page 1251) that names the file, table, field or
// value concerned. The run driver catches them and shows the message.
#include <stdexcept>
#include <string>

namespace tesma {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// The table engine: missing or damaged file, bad statement, unknown field, locked table.
struct EngineError : Failure {
    using Failure::Failure;
};
// A text that is not a number or a date.
struct ConversionError : Failure {
    using Failure::Failure;
};
// A fixed capacity exceeded: list positions, buffer slots, array slots.
struct RangeError : Failure {
    using Failure::Failure;
};
// A failed write of the protocol or of a table file.
struct IoError : Failure {
    using Failure::Failure;
};
// An operation applied to a value that cannot take it (an unassigned value).
struct InvalidValueError : Failure {
    using Failure::Failure;
};

}  // namespace tesma
