#include <gtest/gtest.h>

#include <cstring>

#include "platform/engine/dbase.h"
#include "platform/engine/query.h"
#include "platform/errors.h"
#include "platform/text/cp1251.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

// A dBASE III file: fields C(10), N(8,2), N(5,0), D, L; records as given (first byte: flag).
std::string DbaseFile(const std::vector<std::string>& records, unsigned char languageDriver = 0) {
    struct F {
        const char* name;
        char type;
        int len, dec;
    };
    const F fields[] = {
        {"NAME", 'C', 10, 0}, {"AMOUNT", 'N', 8, 2}, {"COUNT", 'N', 5, 0}, {"DAY", 'D', 8, 0}, {"OK", 'L', 1, 0}};
    const int recordLength = 1 + 10 + 8 + 5 + 8 + 1;
    const int headerLength = 32 + 32 * 5 + 1;
    std::string h(32, '\0');
    h[0] = 0x03;
    h[4] = static_cast<char>(records.size());
    h[8] = static_cast<char>(headerLength & 0xFF);
    h[9] = static_cast<char>(headerLength >> 8);
    h[10] = static_cast<char>(recordLength);
    h[29] = static_cast<char>(languageDriver);
    for (const F& f : fields) {
        std::string d(32, '\0');
        std::copy(f.name, f.name + std::strlen(f.name), d.begin());
        d[11] = f.type;
        d[16] = static_cast<char>(f.len);
        d[17] = static_cast<char>(f.dec);
        h += d;
    }
    h += '\x0D';
    for (const auto& r : records) h += r;
    h += '\x1A';
    return h;
}

}  // namespace

TEST(DbaseFile, ReadsFieldsSkipsDeletedRecordsAndRefusesChanges) {
    TempDir dir;
    std::string path = dir / "OLD.DBF";
    WriteBytes(path, DbaseFile({" Alpha        12.50   7720240131T", "*Deleted       1.00    120240101F",
                                " \xCF\xF0\xE8\xE2\xE5\xF2       -3.25     19991231 "}));
    auto rows = ReadTable(path);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].text, "Alpha");
    EXPECT_EQ(rows[0][1].real, 12.5);
    EXPECT_EQ(rows[0][2].integer, 77);
    EXPECT_EQ(rows[0][4].integer, 1);
    EXPECT_EQ(rows[1][0].text, "Привет"_cp);
    EXPECT_TRUE(rows[1][2].IsBlank());
    EXPECT_TRUE(rows[1][4].IsBlank());

    engine::Query q(true);
    q.AddLine("select * from \"" + dir / "OLD" + "\" where AMOUNT > 0");
    q.Open();
    EXPECT_EQ(q.RowCount(), 1);
    EXPECT_EQ(q.AsText(q.FieldByName("DAY")), "31.01.2024");
    try {
        q.Edit();
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("OLD.DBF"), std::string::npos);
    }
    q.Close();
    engine::DefaultSession().Discard();
}

TEST(DbaseFile, DosTextsAreConvertedAndDamageIsReported) {
    TempDir dir;
    std::string path = dir / "DOS.DBF";
    // "Привет" in code page 866, language driver 0x65.
    WriteBytes(path, DbaseFile({" \x8F\xE0\xA8\xA2\xA5\xE2           0    020240131T"}, 0x65));
    EXPECT_EQ(ReadTable(path)[0][0].text, "Привет"_cp);
    std::string good = DbaseFile({" Alpha        12.50   7720240131T"});
    for (std::size_t n = 0; n < good.size() - 2; ++n) try {
            engine::ParseDbase(good.substr(0, n), path);
        } catch (const EngineError&) {
        }
}
