#pragma once
// The main field list of a run: the host's field descriptors of the main table, in their order.
// Entry k describes slot k + 1 of the row buffer. It is built at the run's first FirstRow (the
// host's lists do not change during a run) and lives as long as the run.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tesma::runtime {

struct MainFieldList {
    static constexpr int kNotLookedUp = -2;

    std::vector<std::int32_t> fields;  // positions in the host's field list
    std::vector<std::string> names;    // their names
    std::vector<int> columns;          // the column of the main cursor of each name, or kNotLookedUp
    bool built = false;

    // The entry of a name, 1-based; 0 when none.
    std::size_t SlotOf(const std::string& name) const {
        for (std::size_t k = 0; k < names.size(); ++k)
            if (names[k] == name) return k + 1;
        return 0;
    }
};

}  // namespace tesma::runtime
