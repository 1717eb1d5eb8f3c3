#pragma once
// pxlib, an independent Paradox library, as an oracle for tests: what it reads of a keyed table
// through the table's primary index.
extern "C" {
#include <paradox.h>
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tesma::testing {

// The records as pxlib reads them through the primary index; fails the test when pxlib does
// not accept the index for the table.
inline std::vector<std::string> PxlibReadThroughIndex(const std::string& db) {
    const std::string pxPath = db.substr(0, db.size() - 3) + ".PX";
    pxdoc_t* px = PX_new();
    pxdoc_t* index = PX_new();
    std::vector<std::string> out;
    EXPECT_EQ(PX_open_file(px, db.c_str()), 0);
    EXPECT_EQ(PX_open_file(index, pxPath.c_str()), 0);
    EXPECT_EQ(PX_read_primary_index(index), 0);
    if (PX_add_primary_index(px, index) == 0) {
        std::vector<char> record(static_cast<std::size_t>(PX_get_recordsize(px)));
        for (int r = 0; r < PX_get_num_records(px); ++r) {
            EXPECT_NE(PX_get_record(px, r, record.data()), nullptr) << r;
            out.emplace_back(record.begin(), record.end());
        }
    } else {
        ADD_FAILURE() << "pxlib refuses the index of " << db;
    }
    PX_close(px);
    PX_delete(px);
    PX_close(index);
    PX_delete(index);
    return out;
}

}  // namespace tesma::testing
