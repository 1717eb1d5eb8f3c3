// Tables written by our engine, read by an independent Paradox reader (pxlib).
extern "C" {
#include <paradox.h>
}

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/text/cp1251.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

TEST(IndependentReader, ReadsOurAlphaAndNumberFields) {
    TempDir dir;
    std::string path = dir / "CHAPTER.DB";
    std::vector<std::vector<Cell>> rows;
    for (int i = 0; i < 700; ++i)
        rows.push_back({Cell::Text(std::to_string(30000 + i)), Cell::Text(i % 2 ? "П"_cp : "А"_cp),
                        Cell::Real(i * 1000.25 - 5000), Cell::Integer(i)});
    WriteParadoxTable(path,
                      {{"NBAL2", FieldType::Alpha, 25},
                       {"A_P", FieldType::Alpha, 3},
                       {"IS_RUB", FieldType::Number, 0},
                       {"NNN", FieldType::Long, 0}},
                      rows);

    pxdoc_t* px = PX_new();
    ASSERT_NE(px, nullptr);
    ASSERT_EQ(PX_open_file(px, path.c_str()), 0);
    ASSERT_EQ(PX_get_num_records(px), 700);
    ASSERT_EQ(PX_get_num_fields(px), 4);
    EXPECT_STREQ(PX_get_field(px, 0)->px_fname, "NBAL2");
    EXPECT_STREQ(PX_get_field(px, 3)->px_fname, "NNN");
    std::vector<char> record(static_cast<std::size_t>(PX_get_recordsize(px)));
    for (int r = 0; r < 700; ++r) {
        ASSERT_NE(PX_get_record(px, r, record.data()), nullptr) << r;
        char* text = nullptr;
        ASSERT_EQ(PX_get_data_alpha(px, record.data(), 25, &text), 1);
        EXPECT_EQ(std::string(text), std::to_string(30000 + r));
        px->free(px, text);
        ASSERT_EQ(PX_get_data_alpha(px, record.data() + 25, 3, &text), 1);
        EXPECT_EQ(std::string(text), r % 2 ? "П"_cp : "А"_cp);
        px->free(px, text);
        double v = 0;
        ASSERT_EQ(PX_get_data_double(px, record.data() + 28, 8, &v), 1);
        EXPECT_EQ(v, r * 1000.25 - 5000);
    }
    PX_close(px);
    PX_delete(px);
}
