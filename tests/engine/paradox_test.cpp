#include <gtest/gtest.h>

#include <random>

#include "platform/engine/paradox.h"
#include "platform/engine/query.h"
#include "platform/errors.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "runtime/conversions.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

std::vector<NewField> AllTypes() {
    return {{"TXT", FieldType::Alpha, 255}, {"D", FieldType::Date, 0},    {"S", FieldType::Short, 0},
            {"L", FieldType::Long, 0},      {"N", FieldType::Number, 0},  {"C", FieldType::Currency, 0},
            {"B", FieldType::Logical, 0},   {"AI", FieldType::AutoInc, 0}};
}

void ExpectSame(const Cell& a, const Cell& b, const std::string& where) {
    EXPECT_EQ(a.kind, b.kind) << where;
    EXPECT_EQ(a.text, b.text) << where;
    EXPECT_EQ(a.integer, b.integer) << where;
    EXPECT_EQ(a.real, b.real) << where;
}

// The texts of one field of a query's rows.
std::vector<std::string> Texts(engine::Query& q, const char* field) {
    std::vector<std::string> out;
    const int i = q.FieldByName(field);
    for (q.First(); !q.Eof(); q.Next()) out.push_back(q.AsText(i));
    return out;
}

}  // namespace

TEST(ParadoxFile, EveryFieldTypeRoundTripsBlankAndZeroApart) {
    TempDir dir;
    std::string longText(255, '\xFF');  // я repeated
    longText[0] = 'A';
    std::vector<std::vector<Cell>> rows = {
        {Cell::Text(longText), Cell::Date(locale::EncodeDate(1850, 2, 28)), Cell::Integer(-32767),
         Cell::Integer(-2147483647), Cell::Real(-1234.5678), Cell::Real(-0.01), Cell::Logical(false), Cell::Integer(1)},
        {Cell::Text("Ф_1 ёЁ"_cp), Cell::Date(locale::EncodeDate(2150, 12, 31)), Cell::Integer(0), Cell::Integer(0),
         Cell::Real(0), Cell::Real(0), Cell::Logical(true), Cell::Integer(2147483647)},
        {Cell::Blank(), Cell::Blank(), Cell::Blank(), Cell::Blank(), Cell::Blank(), Cell::Blank(), Cell::Blank(),
         Cell::Blank()},
        {Cell::Text(" x "), Cell::Date(locale::EncodeDate(2000, 2, 29)), Cell::Integer(32767), Cell::Integer(7),
         Cell::Real(1.1e17), Cell::Real(123456789.25), Cell::Logical(true), Cell::Integer(3)},
    };
    std::string path = dir / "ALL.DB";
    WriteParadoxTable(path, AllTypes(), rows);
    auto back = ReadTable(path);
    ASSERT_EQ(back.size(), rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t f = 0; f < rows[r].size(); ++f)
            ExpectSame(back[r][f], rows[r][f], "row " + std::to_string(r) + " field " + std::to_string(f));
}

TEST(ParadoxFile, ManyBlocksKeepOrderAndHeaderBytes) {
    TempDir dir;
    std::string path = dir / "BIG.DB";
    std::vector<std::vector<Cell>> rows;
    for (int i = 0; i < 1000; ++i) rows.push_back({Cell::Text("N" + std::to_string(i)), Cell::Integer(i)});
    WriteParadoxTable(path, {{"NAME", FieldType::Alpha, 100}, {"K", FieldType::Long, 0}}, rows);
    std::string bytes = FileBytes(path);
    engine::TableFile t = engine::ParseParadox(bytes, path);
    ASSERT_EQ(t.records.size(), 1000u);
    // Drop the whole first block and a record of the last one, then append two.
    const std::size_t perBlock = (2048 - 6) / 104;
    t.records.erase(t.records.begin(), t.records.begin() + static_cast<long>(perBlock));
    t.records.erase(t.records.end() - 2);
    for (int k : {5000, 5001}) {
        std::string r = t.BlankRecord();
        t.Set(r, 0, Cell::Text("new"));
        t.Set(r, 1, Cell::Integer(k));
        t.records.push_back(r);
    }
    std::string rewritten = engine::SerializeParadox(t);
    engine::TableFile again = engine::ParseParadox(rewritten, path);
    ASSERT_EQ(again.records.size(), 1000 - perBlock - 1 + 2);
    EXPECT_EQ(again.Get(0, 1).integer, static_cast<long>(perBlock));
    EXPECT_EQ(again.Get(again.records.size() - 3, 1).integer, 999);
    EXPECT_EQ(again.Get(again.records.size() - 1, 1).integer, 5001);
    // Header bytes other than the counts are kept.
    for (std::size_t i = 0x58; i < again.header.size(); ++i) ASSERT_EQ(again.header[i], t.header[i]) << i;
    // An empty table is a header alone, and reads back empty.
    again.records.clear();
    EXPECT_TRUE(engine::ParseParadox(engine::SerializeParadox(again), path).records.empty());
}

TEST(ParadoxFile, ValuesThatDoNotFitAreRefused) {
    engine::TableFile t = engine::CreateParadox({{"A", FieldType::Alpha, 3}, {"S", FieldType::Short, 0}}, "/x/T.DB");
    std::string r = t.BlankRecord();
    EXPECT_THROW(t.Set(r, 0, Cell::Text("abcd")), EngineError);
    EXPECT_THROW(t.Set(r, 1, Cell::Integer(40000)), EngineError);
    EXPECT_THROW(t.Set(r, 1, Cell::Text("1")), EngineError);
    EXPECT_THROW(engine::CreateParadox({{"A", FieldType::Alpha, 0}}, "/x/T.DB"), EngineError);
}

TEST(ParadoxFile, DamagedFilesAreEngineErrorsNeverCrashes) {
    TempDir dir;
    std::string path = dir / "T.DB";
    std::vector<std::vector<Cell>> rows;
    for (int i = 0; i < 200; ++i)
        rows.push_back({Cell::Text("30301"), Cell::Text("А"_cp), Cell::Real(i * 1.5), Cell::Integer(i)});
    WriteParadoxTable(path,
                      {{"NBAL2", FieldType::Alpha, 25},
                       {"A_P", FieldType::Alpha, 3},
                       {"IS_RUB", FieldType::Number, 0},
                       {"NNN", FieldType::Long, 0}},
                      rows);
    const std::string good = FileBytes(path);
    // Every truncation point of the header and a sample through the blocks.
    for (std::size_t n = 0; n < good.size(); n += (n < 0x900 ? 1 : 97)) {
        try {
            engine::ParseParadox(std::string_view(good).substr(0, n), path);
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
        }
    }
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 3000; ++trial) {
        std::string bad = good;
        int flips = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < flips; ++k) {
            std::size_t at = rng() % (trial % 2 ? 0x900 : bad.size());
            bad[at] = static_cast<char>(bad[at] ^ (1 << (rng() % 8)));
        }
        try {
            engine::TableFile t = engine::ParseParadox(bad, path);
            for (std::size_t r = 0; r < t.records.size(); ++r)
                for (std::size_t f = 0; f < t.fields.size(); ++f) t.Get(r, static_cast<int>(f));
        } catch (const EngineError&) {
        }
    }
}

TEST(ParadoxFile, ATimeStampBefore1899ReadsBackWithItsTimeOfDay) {
    TempDir dir;
    // The table file counts milliseconds from 1 January of the year 1 on one continuous
    // scale: 15 June 1850 06:00 is that day's count plus a quarter of a day. The field is
    // written as a number and then marked a time stamp (same 8-byte form), independent of
    // how the engine converts time stamps.
    const std::string path = dir / "TS.DB";
    const double day1850 = locale::EncodeDate(1850, 6, 15) + 693594;
    WriteParadoxTable(path, {{"TS", FieldType::Number, 0}},
                      {{Cell::Real((day1850 + 0.25) * 86400000.0)}, {Cell::Real((day1850 + 0.75) * 86400000.0)}});
    std::string bytes = FileBytes(path);
    ASSERT_EQ(bytes[0x78], 0x06);
    bytes[0x78] = 0x15;
    WriteBytes(path, bytes);
    engine::Query q;
    q.AddLine("select * from \"" + path + "\"");
    q.Open();
    EXPECT_EQ(Texts(q, "TS"), (std::vector<std::string>{"15.06.1850 6:00:00", "15.06.1850 18:00:00"}));
    q.First();
    EXPECT_EQ(DatePartText("YYYYMMDDHH24MISS", q.AsDate(0)), "18500615060000");
    q.Close();
    // Encoded again, each value gives back the same count.
    const engine::TableFile t = engine::ParseParadox(bytes, path);
    for (std::size_t r = 0; r < t.records.size(); ++r) {
        char encoded[8];
        engine::EncodeParadoxField(t.fields[0], t.Get(r, 0), encoded);
        EXPECT_EQ(std::string(encoded, 8), t.records[r].substr(0, 8)) << r;
    }
    engine::DefaultSession().Discard();
}
