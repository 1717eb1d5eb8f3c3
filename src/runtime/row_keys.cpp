#include "runtime/row_keys.h"

#include <algorithm>
#include <string>

#include "platform/errors.h"

namespace tesma {

RowKeyChooser::RowKeyChooser(std::int64_t tableMax, std::function<std::vector<std::int64_t>()> keysInTable)
    : top_(tableMax), keysInTable_(std::move(keysInTable)) {}

std::int32_t RowKeyChooser::Next(std::int64_t clockKey) {
    if (top_ < kMaxKey) {
        top_ = clockKey > top_ && clockKey <= kMaxKey ? clockKey : top_ + 1;
        return static_cast<std::int32_t>(top_);
    }
    if (!used_) {
        used_ = keysInTable_();
        std::sort(used_->begin(), used_->end());
    }
    // The smallest unused key above the last one given from below; past the end, from 0 again.
    for (int pass = 0; pass < 2; ++pass) {
        std::int64_t key = low_ + 1;
        auto it = std::lower_bound(used_->begin(), used_->end(), key);
        for (; it != used_->end() && *it <= key; ++it)
            if (*it == key) ++key;
        if (key <= kMaxKey) {
            used_->insert(it, key);
            low_ = key;
            return static_cast<std::int32_t>(key);
        }
        low_ = -1;
    }
    throw RangeError("range check error: no unused row key left in the main table");
}

}  // namespace tesma
