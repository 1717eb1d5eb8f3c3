#pragma once
// The row buffer: the current main-table row as it was at the last row movement, by slot (slot k
// holds the k-th column after the row's leading ones). Its cells are decoded, and their texts
// made, only when a field is read.
//
// The buffer lives as long as the library (see LibraryState): a slot keeps its value until a row
// movement fills it again, through runs on other tables and after the image of the table that
// filled it is gone. A host that describes more fields of a table than the table has reads, in
// the slots beyond its columns, what an earlier run left there.
#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/engine/query.h"

namespace tesma::runtime {

class RowBuffer {
public:
    static constexpr std::size_t kSlots = 70;

    // Fills the slots from the current row of `q`, from its column `start` on; the slots beyond
    // the row's columns keep their values. `table` names the table in a failure (a row of more
    // than kSlots columns).
    void Fill(const engine::Query& q, int start, const std::string& table);
    // The end of a run, before its tables are written or dropped: the slots still to be
    // decoded take their values now, and the buffer lets go of the row's table. It never
    // fails: a value that cannot be read (binary data) is a failure when its slot is read.
    void Release() noexcept;

    // Slot 1..kSlots: its text, and whether it is empty. A value that cannot be read (a binary,
    // OLE, graphic or bytes field, a memo its .MB file lacks) is an EngineError naming the table
    // and the field.
    const std::string& Text(std::size_t slot);
    bool Empty(std::size_t slot);

private:
    struct Slot {
        int field = -1;  // the record's field, while the cell is still to be decoded
        engine::Cell cell;
        engine::ColumnKind kind = engine::ColumnKind::Other;
        std::optional<std::string> text;
        std::optional<std::string> failure;  // why the value cannot be read
    };
    // Decodes the slot's cell if it still has to be, keeping a failure for when it is read.
    void Decode(Slot& s) noexcept;
    const engine::Cell& Cell(Slot& s);
    void KeepValues(std::size_t fromSlot) noexcept;

    const engine::TableFile* file_ = nullptr;  // the table of the row's record
    std::string record_;                       // the record's bytes at the row movement
    std::array<Slot, kSlots> slots_;
};

}  // namespace tesma::runtime
