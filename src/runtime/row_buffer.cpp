#include "runtime/row_buffer.h"

#include <utility>

#include "platform/errors.h"

namespace tesma::runtime {

void RowBuffer::Decode(Slot& s) noexcept {
    if (s.field < 0) return;
    const int field = std::exchange(s.field, -1);
    s.cell = engine::Cell::Blank();
    try {
        if (file_) s.cell = file_->Decode(record_.data(), field);
    } catch (const std::exception& e) {
        // Kept for a procedure that reads the slot: the row movement itself, and the end of the
        // run, must not fail over a value nobody asked for.
        s.failure = e.what();
    }
}

const engine::Cell& RowBuffer::Cell(Slot& s) {
    Decode(s);
    if (s.failure) throw EngineError(*s.failure);
    return s.cell;
}

void RowBuffer::KeepValues(std::size_t fromSlot) noexcept {
    for (std::size_t k = fromSlot; k < kSlots; ++k) Decode(slots_[k]);
}

void RowBuffer::Fill(const engine::Query& q, int start, const std::string& table) {
    const int count = q.FieldCount();
    const engine::TableFile* file = q.RowTable();
    // The slots this row does not fill keep their values: they take them now, while the
    // record they come from is still there.
    KeepValues(count > start ? static_cast<std::size_t>(count - start) : 0);
    if (file) {
        file_ = file;
        record_ = q.RowBytes();
    }
    for (int p = start; p < count; ++p) {
        const int slot = p - start + 1;
        if (slot > static_cast<int>(kSlots))
            throw RangeError("range check error: more than 70 columns in the main table " + table);
        Slot& s = slots_[static_cast<std::size_t>(slot - 1)];
        s.kind = q.FieldKind(p);
        s.text.reset();
        s.failure.reset();
        if (file) {
            s.field = q.ColumnField(p);
        } else {
            s.field = -1;
            s.cell = q.Value(p);
        }
    }
}

void RowBuffer::Release() noexcept {
    KeepValues(0);
    file_ = nullptr;
    std::string().swap(record_);
}

const std::string& RowBuffer::Text(std::size_t slot) {
    Slot& s = slots_[slot - 1];
    if (!s.text) s.text = engine::CellText(Cell(s), s.kind);
    return *s.text;
}

bool RowBuffer::Empty(std::size_t slot) {
    Slot& s = slots_[slot - 1];
    return s.text ? s.text->empty() : Cell(s).IsBlank();
}

}  // namespace tesma::runtime
