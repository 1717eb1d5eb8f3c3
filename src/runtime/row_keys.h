#pragma once
// The choice of the NNN key of a new row of one table.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tesma {

// Keys are 0..2147483647 and unique within the table. The clock-derived key is taken when it
// lies above every key of the table and every key given before (it is free, and rows keep
// the order they were appended in); otherwise the key after the largest one. Only when the
// table already holds 2147483647 (the clock-derived keys wrap round after some 5 years) do
// keys come from below: the smallest unused keys, in increasing order. A key is refused only
// when the table has no unused key at all.
class RowKeyChooser {
public:
    static constexpr std::int64_t kMaxKey = 2147483647;

    // tableMax: the largest key of the table (-1 when none); keysInTable: every key of the
    // table, asked for only when keys must come from below.
    RowKeyChooser(std::int64_t tableMax, std::function<std::vector<std::int64_t>()> keysInTable);
    std::int32_t Next(std::int64_t clockKey);

private:
    std::int64_t top_;
    std::function<std::vector<std::int64_t>()> keysInTable_;
    std::optional<std::vector<std::int64_t>> used_;  // sorted; the table's keys and those given since
    std::int64_t low_ = -1;                          // the last key given from below
};

// The keys of new rows in one run: a chooser for the main table the cursor is on, made at the
// first new row and made anew when the cursor's table changes.
struct RunRowKeys {
    const void* table = nullptr;
    std::optional<RowKeyChooser> chooser;
};

}  // namespace tesma
