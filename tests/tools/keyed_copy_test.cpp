// A report whose tables are keyed (as the host's tables are) runs as the same report unkeyed:
// the same protocol, the same rows; and its indexes stay those of its tables, as an independent
// reader (pxlib) finds.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/engine/paradox.h"
#include "platform/engine/primary_index.h"
#include "process.h"
#include "support/keyed.h"
#include "support/pxlib_oracle.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::testing;
namespace fs = std::filesystem;

namespace {

const std::string kData = TESMA_TEST_DATA;

ProcessResult F101(std::vector<std::string> args) {
    args.insert(args.begin(), std::string(TESMA_F101_PATH));
    return RunProgram(args, "TESMA_UI=silent");
}

// The rows of a table in its order, each as its fields' texts by name, without the row key.
std::vector<std::string> Rows(const std::string& path) {
    const engine::TableFile t = engine::ParseParadox(FileBytes(path), path);
    std::vector<int> fields;
    for (const char* name : {"ID_EKZ", "NBAL2", "A_P", "VX_RUB", "OB_AK_VAL", "IS_ITOG", "KEY_REKW", "VALUE_REKW"})
        if (t.FieldIndex(name) >= 0) fields.push_back(t.FieldIndex(name));
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < t.records.size(); ++r) {
        std::string row;
        for (int f : fields) {
            const engine::Cell c = t.Get(r, f);
            row +=
                (c.kind == engine::Cell::Kind::Text ? c.text
                 : c.IsBlank()
                     ? ""
                     : std::to_string(c.kind == engine::Cell::Kind::Real ? c.real : static_cast<double>(c.integer))) +
                "|";
        }
        // The time of filling differs from run to run.
        if (auto at = row.find("|DTMF|"); at != std::string::npos) row.resize(at + 6);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

TEST(KeyedReport, ControlsSortsAndFillingGiveWhatTheUnkeyedReportGives) {
    const std::vector<std::string> tables = {"F101_1", "F101_2", "F101_3", "F101_4", "F101_5", "F101_OES"};
    for (const auto& [regn, keys] :
         {std::pair<std::string, std::vector<std::string>>{"2618", {"NNN"}}, {"1481", {"ID_EKZ", "NNN"}}}) {
        SCOPED_TRACE(regn);
        TempDir dir;
        ProcessResult imported =
            F101({"import-published", kData + "/f101-2015-12-01-sample.csv", "--regn", regn, "--out", dir / "plain",
                  "--chart", std::string(TESMA_DEMO_DIR) + "/account-signs.csv"});
        ASSERT_EQ(imported.status, 0) << imported.err;
        const std::string plain = imported.out.substr(0, imported.out.find('\n'));
        const std::string keyed = dir / "keyed/F101/20151201/";
        fs::create_directories(keyed);
        fs::copy(plain, keyed, fs::copy_options::recursive);
        for (const auto& t : tables) MakeKeyed(keyed + t + ".DB", keys, 1024);

        for (const std::string& folder : {plain, keyed}) {
            ProcessResult check = F101({"check", folder});
            ASSERT_TRUE(check.status == 0 || check.status == 1) << check.err;
            for (const char* chapter : {"A", "B", "V", "G", "D"})
                ASSERT_EQ(F101({"sort", folder, "--chapter", chapter}).status, 0);
            ProcessResult fill = F101({"fill", folder});
            ASSERT_TRUE(fill.status == 0 || fill.status == 1) << fill.err;
        }
        EXPECT_EQ(FileBytes(keyed + "protocol.txt"), FileBytes(plain + "/protocol.txt"));
        for (const auto& t : tables) {
            const std::string path = keyed + t + ".DB";
            EXPECT_EQ(Rows(path), Rows(plain + "/" + t + ".DB")) << t;
            // Still keyed, and its index is the index of what it holds.
            const engine::TableFile file = engine::ParseParadox(FileBytes(path), path);
            EXPECT_EQ(file.keyFields, static_cast<int>(keys.size()));
            const std::string index = keyed + t + ".PX";
            EXPECT_NO_THROW(engine::CheckPrimaryIndex(FileBytes(index), index, file)) << t;
            // pxlib opens the table with its index and finds every record, in key order.
            if (!file.records.empty()) {
                EXPECT_EQ(PxlibReadThroughIndex(path), file.records) << t;
            }
        }
    }
}
