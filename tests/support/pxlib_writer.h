#pragma once
// Paradox tables written by pxlib, an independent Paradox library, so that what the tests feed the
// engine and f101 does not come from the engine's own writer.
extern "C" {
#include <paradox.h>
}

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace tesma::testing {

struct PxColumn {
    std::string name;
    int type;  // pxfAlpha, pxfLong, pxfNumber, pxfDate, pxfTime, pxfTimestamp, pxfMemoBLOb, pxfFmtMemoBLOb
    int size;
};

// Writes the table `db` (and its .MB, and with `keyFields` its .PX). Each row gives one text per
// column, put by the column's type: texts as they are (code page 1251), whole numbers for long,
// date (days since 1 January of year 1) and time (milliseconds) columns, decimals for numbers and
// time stamps (milliseconds since year 1); an empty text leaves the field blank. pxlib does not
// sort: a keyed table's rows are given in key order.
inline void PxlibWriteTable(const std::string& db, const std::vector<PxColumn>& columns,
                            const std::vector<std::vector<std::string>>& rows, int keyFields = 0) {
    auto fieldArray = [&](std::size_t n) {
        auto* pf = static_cast<pxfield_t*>(std::calloc(n, sizeof(pxfield_t)));
        for (std::size_t i = 0; i < n; ++i) {
            pf[i].px_fname = strdup(columns[i].name.c_str());
            pf[i].px_ftype = static_cast<char>(columns[i].type);
            pf[i].px_flen = columns[i].size;
        }
        return pf;
    };
    pxdoc_t* px = PX_new();
    ASSERT_EQ(PX_create_file(px, fieldArray(columns.size()), static_cast<int>(columns.size()), db.c_str(),
                             keyFields ? pxfFileTypIndexDB : pxfFileTypNonIndexDB),
              0);
    if (keyFields) PX_set_value(px, "numprimkeys", keyFields);
    const std::string stem = db.substr(0, db.size() - 3);
    for (const PxColumn& c : columns)
        if (c.type == pxfMemoBLOb || c.type == pxfFmtMemoBLOb) {
            ASSERT_EQ(PX_set_blob_file(px, (stem + ".MB").c_str()), 0);
            break;
        }
    int size = 0;
    for (const PxColumn& c : columns) size += c.size;
    std::vector<char> record(static_cast<std::size_t>(size));
    for (const auto& row : rows) {
        std::fill(record.begin(), record.end(), 0);
        char* p = record.data();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const PxColumn& c = columns[i];
            std::string v = row.at(i);
            if (!v.empty()) switch (c.type) {
                    case pxfAlpha:
                        PX_put_data_alpha(px, p, c.size, v.data());
                        break;
                    case pxfLong:
                    case pxfDate:
                    case pxfTime:
                        PX_put_data_long(px, p, c.size, std::stoi(v));
                        break;
                    case pxfNumber:
                    case pxfTimestamp:
                        PX_put_data_double(px, p, c.size, std::stod(v));
                        break;
                    case pxfMemoBLOb:
                    case pxfFmtMemoBLOb:
                        PX_put_data_blob(px, p, c.size, v.data(), static_cast<int>(v.size()));
                        break;
                    default:
                        ADD_FAILURE() << "no test writer for field type " << c.type;
                }
            p += c.size;
        }
        ASSERT_GE(PX_put_record(px, record.data()), 0);
    }
    if (keyFields) {
        pxdoc_t* index = PX_new();
        ASSERT_EQ(PX_create_file(index, fieldArray(static_cast<std::size_t>(keyFields)), keyFields,
                                 (stem + ".PX").c_str(), pxfFileTypPrimIndex),
                  0);
        ASSERT_EQ(PX_write_primary_index(px, index), 0);
        PX_close(index);
        PX_delete(index);
    }
    PX_close(px);
    PX_delete(px);
}

// The day number pxlib and Paradox give a date (1 January of year 1 is day 1).
inline long PxlibDay(int year, int month, int day) { return PX_GregorianToSdn(year, month, day) - 1721425; }

}  // namespace tesma::testing
