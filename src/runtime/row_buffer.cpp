#include "runtime/row_buffer.h"

#include "platform/errors.h"

namespace tesma::runtime {

const engine::Cell& RowBuffer::Cell(Slot& s) {
    if (s.field >= 0) {
        s.cell = file_ ? file_->Decode(record_.data(), s.field) : engine::Cell::Blank();
        s.field = -1;
    }
    return s.cell;
}

void RowBuffer::KeepValues(std::size_t fromSlot) {
    for (std::size_t k = fromSlot; k < kSlots; ++k) Cell(slots_[k]);
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
        if (file) {
            s.field = q.ColumnField(p);
        } else {
            s.field = -1;
            s.cell = q.Value(p);
        }
    }
}

void RowBuffer::Release() {
    KeepValues(0);
    file_ = nullptr;
    record_.clear();
    record_.shrink_to_fit();
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
