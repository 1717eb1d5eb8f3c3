// Which procedures run for a table and mode, as the exports look them up.
#include <gtest/gtest.h>

#include "controls/procedure_table.h"
#include "host/dispatcher.h"

using namespace tesma;

TEST(FormIsChecked, AnswersForEveryTableAndMode) {
    EXPECT_TRUE(host::FormIsChecked(controls::ProcedureTable(), 466472, 4));
    EXPECT_TRUE(host::FormIsChecked(controls::ProcedureTable(), 466472, 7));
    EXPECT_TRUE(host::FormIsChecked(controls::ProcedureTable(), 583102, 7));
    EXPECT_TRUE(host::FormIsChecked(controls::ProcedureTable(), 474667, 4));
    EXPECT_FALSE(host::FormIsChecked(controls::ProcedureTable(), 474667, 7));
    EXPECT_FALSE(host::FormIsChecked(controls::ProcedureTable(), 466472, 8));
    EXPECT_FALSE(host::FormIsChecked(controls::ProcedureTable(), 0, 4));
    for (std::int32_t id : {466473, 466474, 466475, 583102}) {
        EXPECT_TRUE(host::FormIsChecked(controls::ProcedureTable(), id, 4));
        EXPECT_TRUE(host::FormIsChecked(controls::ProcedureTable(), id, 7));
        EXPECT_FALSE(host::FormIsChecked(controls::ProcedureTable(), id, 8));
        EXPECT_FALSE(host::FormIsChecked(controls::ProcedureTable(), id, 5));
    }
}
