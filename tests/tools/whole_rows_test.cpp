// Chapter tables with fields of every kind beside the fourteen the procedures know, written by an
// independent Paradox library (pxlib), keyed and unkeyed: a check and a sort keep every field of
// every row, and a field whose value cannot be read is a clean failure where a procedure needs
// it, never the end of the process.
extern "C" {
#include <paradox.h>
}

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "f101_fixture.h"
#include "platform/text/cp1251.h"
#include "process.h"
#include "support/instances.h"
#include "support/pxlib_oracle.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;
namespace fs = std::filesystem;

namespace {

struct PxField {
    const char* name;
    int type, size, decimals = 0;
};

// ID_EKZ, NBAL2, A_P, the twelve amounts, NNN; then a host's own columns: a text, a memo, an
// exact decimal, bytes, a binary large object and an integer. `vxRub` is the type of VX_RUB.
std::vector<PxField> ChapterLayout(int vxRub) {
    std::vector<PxField> f = {{"ID_EKZ", pxfLong, 4}, {"NBAL2", pxfAlpha, 25}, {"A_P", pxfAlpha, 3}};
    for (const char* n : {"VX_RUB", "VX_VAL", "VX_ITOG", "OB_AK_RUB", "OB_AK_VAL", "OB_AK_ITOG", "OB_PAS_RUB",
                          "OB_PAS_VAL", "OB_PAS_ITOG", "IS_RUB", "IS_VAL", "IS_ITOG"})
        f.push_back({n, pxfNumber, 8});
    if (vxRub == pxfBytes) f[3] = {"VX_RUB", pxfBytes, 8};
    f.push_back({"NNN", pxfLong, 4});
    for (const PxField& extra :
         {PxField{"NOTE", pxfAlpha, 20}, PxField{"MEMO", pxfMemoBLOb, 20}, PxField{"AMT", pxfBCD, 17, 4},
          PxField{"PIC", pxfBytes, 8}, PxField{"BLOB", pxfBLOb, 10}, PxField{"HOST", pxfLong, 4}})
        f.push_back(extra);
    return f;
}

// Chapter А's table of instance 1, four account rows in no order, every field filled; keyed on
// ID_EKZ, NBAL2, A_P (pxlib stores the rows as given: they are handed over in key order).
void WriteChapterTable(const std::string& db, bool keyed, int vxRub = pxfNumber) {
    const std::vector<PxField> fields = ChapterLayout(vxRub);
    auto fieldArray = [&](std::size_t n) {
        auto* pf = static_cast<pxfield_t*>(std::calloc(n, sizeof(pxfield_t)));
        for (std::size_t i = 0; i < n; ++i) {
            pf[i].px_fname = strdup(fields[i].name);
            pf[i].px_ftype = static_cast<char>(fields[i].type);
            pf[i].px_flen = fields[i].size;
            pf[i].px_fdc = fields[i].decimals;
        }
        return pf;
    };
    std::vector<std::pair<std::string, std::string>> rows = {
        {"30102", "П"_cp}, {"20202", "А"_cp}, {"10207", "А"_cp}, {"40702", "П"_cp}};
    if (keyed) std::sort(rows.begin(), rows.end());
    pxdoc_t* px = PX_new();
    ASSERT_EQ(PX_create_file(px, fieldArray(fields.size()), static_cast<int>(fields.size()), db.c_str(),
                             keyed ? pxfFileTypIndexDB : pxfFileTypNonIndexDB),
              0);
    if (keyed) PX_set_value(px, "numprimkeys", 3);
    const std::string mb = db.substr(0, db.size() - 3) + ".MB";
    ASSERT_EQ(PX_set_blob_file(px, mb.c_str()), 0);
    int size = 0;
    for (const PxField& f : fields) size += f.size;
    std::vector<char> record(static_cast<std::size_t>(size));
    int n = 0;
    for (auto& [account, sign] : rows) {
        ++n;
        std::fill(record.begin(), record.end(), 0);
        char* p = record.data();
        std::string memo = "memo of account " + account + ", long enough to lie in the .MB file";
        std::string blob = "\x01\x02 binary " + account;
        std::string bytes = "b" + account;
        std::string note = "note " + account;
        std::string amt = std::to_string(n) + ".2500";
        for (const PxField& f : fields) {
            const std::string name = f.name;
            if (name == "ID_EKZ") PX_put_data_long(px, p, 4, 1);
            if (name == "NBAL2") PX_put_data_alpha(px, p, f.size, account.data());
            if (name == "A_P") PX_put_data_alpha(px, p, f.size, sign.data());
            if (f.type == pxfNumber) PX_put_data_double(px, p, 8, 100.0 * n + static_cast<double>(p - record.data()));
            if (name == "VX_RUB" && f.type == pxfBytes) PX_put_data_bytes(px, p, f.size, bytes.data());
            if (name == "NNN") PX_put_data_long(px, p, 4, n);
            if (name == "NOTE") PX_put_data_alpha(px, p, f.size, note.data());
            if (name == "MEMO") PX_put_data_blob(px, p, f.size, memo.data(), static_cast<int>(memo.size()));
            if (name == "AMT") PX_put_data_bcd(px, p, f.decimals, amt.data());
            if (name == "PIC") PX_put_data_bytes(px, p, f.size, bytes.data());
            if (name == "BLOB") PX_put_data_blob(px, p, f.size, blob.data(), static_cast<int>(blob.size()));
            if (name == "HOST") PX_put_data_long(px, p, 4, 1000 + n);
            p += f.size;
        }
        ASSERT_GE(PX_put_record(px, record.data()), 0);
    }
    if (keyed) {
        pxdoc_t* index = PX_new();
        const std::string pxPath = db.substr(0, db.size() - 3) + ".PX";
        ASSERT_EQ(PX_create_file(index, fieldArray(3), 3, pxPath.c_str(), pxfFileTypPrimIndex), 0);
        ASSERT_EQ(PX_write_primary_index(px, index), 0);
        PX_close(index);
        PX_delete(index);
    }
    PX_close(px);
    PX_delete(px);
}

// The records as pxlib reads them, by account and sign, with the row key NNN blanked.
std::map<std::string, std::string> PxlibRecords(const std::string& db, bool keyed) {
    std::vector<std::string> records;
    if (keyed) {
        records = PxlibReadThroughIndex(db);
    } else {
        pxdoc_t* px = PX_new();
        EXPECT_EQ(PX_open_file(px, db.c_str()), 0);
        std::vector<char> record(static_cast<std::size_t>(PX_get_recordsize(px)));
        for (int r = 0; r < PX_get_num_records(px); ++r) {
            EXPECT_NE(PX_get_record(px, r, record.data()), nullptr);
            records.emplace_back(record.begin(), record.end());
        }
        PX_close(px);
        PX_delete(px);
    }
    constexpr std::size_t kNnn = 4 + 25 + 3 + 12 * 8;
    std::map<std::string, std::string> out;
    for (std::string& r : records) {
        r.replace(kNnn, 4, 4, '\0');
        out[r.substr(4, 28)] = r;
    }
    return out;
}

class WholeRows : public ::testing::Test {
protected:
    std::string Folder(bool keyed, int vxRub = pxfNumber) {
        const std::string folder =
            WriteInstancesFolder(dir / (keyed ? "keyed" : "plain"), {{1, "2704", "2704", "0", ""}}, RowOrder::Blocks);
        fs::remove(folder + "F101_1.DB");
        WriteChapterTable(folder + "F101_1.DB", keyed, vxRub);
        return folder;
    }
    TempDir dir;
};

}  // namespace

TEST_F(WholeRows, ACheckAndASortKeepEveryFieldOfEveryRowKeyedOrNot) {
    for (bool keyed : {false, true}) {
        SCOPED_TRACE(keyed ? "keyed" : "unkeyed");
        const std::string folder = Folder(keyed);
        const std::string table = folder + "F101_1.DB", mb = folder + "F101_1.MB";
        const auto before = PxlibRecords(table, keyed);
        const std::string blobs = FileBytes(mb);
        ProcessResult check = RunF101({"check", folder, "--chapter", "А"});
        EXPECT_TRUE(check.status == 0 || check.status == 1) << check.status << check.err;
        ProcessResult sort = RunF101({"sort", folder, "--chapter", "А"});
        EXPECT_EQ(sort.status, 0) << sort.err;
        auto after = PxlibRecords(table, keyed);
        // The check appended the two total rows, which start blank in the host's columns.
        for (const char* sign : {"А", "П"}) {
            std::string key = "79999 (ИТОГО)"_cp;
            key.resize(25, '\0');
            key += text::FromUtf8(sign);
            key.resize(28, '\0');
            EXPECT_EQ(after.erase(key), 1u) << sign;
        }
        EXPECT_EQ(after, before);
        EXPECT_EQ(FileBytes(mb), blobs);
    }
}

TEST_F(WholeRows, AFieldAProcedureNeedsThatHoldsBinaryDataIsACleanFailureNamingTableAndField) {
    for (bool keyed : {false, true}) {
        SCOPED_TRACE(keyed ? "keyed" : "unkeyed");
        const std::string folder = Folder(keyed, pxfBytes);
        const std::string table = folder + "F101_1.DB", before = FileBytes(table);
        for (const char* command : {"check", "sort"}) {
            ProcessResult r = RunF101({command, folder, "--chapter", "А"});
            EXPECT_EQ(r.status, 3) << command << r.err;
            EXPECT_NE(r.err.find("field VX_RUB of table " + table), std::string::npos) << command << r.err;
            EXPECT_EQ(FileBytes(table), before) << command;
        }
    }
}
