#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/text/cp1251.h"
#include "runtime/arrays.h"
#include "runtime/run.h"
#include "support/in_run.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

// The control arrays belong to the run in progress: the tests work inside one.
class InARun : private runtime::RunProgress {
public:
    InARun() : run_(*this), scope_(run_) {}

private:
    void RowStep() override {}
    void PumpNow() override {}
    void ProtocolLine(std::string_view, const tesma::runtime::LineFacts&) override {}
    runtime::Run run_;
    runtime::CurrentRunScope scope_;
};

}  // namespace

TEST(ControlArrays, DenseSlotsPerArrayInOrderOfFirstAppearance) {
    ScriptedUi ui;
    InARun run;
    ResetArrays();
    DeclareArray("a", 2);
    EXPECT_EQ(ArrayIndex("A", 10), 1);
    EXPECT_EQ(ArrayIndex("A", 20), 2);
    EXPECT_EQ(ArrayIndex("a", 10), 1);
    EXPECT_TRUE(ui->messageBoxes.empty());
    EXPECT_EQ(ArrayIndex("A", 30), 3);  // beyond the capacity: still returned, with a message
    ASSERT_EQ(ui->messageBoxes.size(), 1u);
    EXPECT_EQ(ui->messageBoxes[0], "Превышен максимальный размер 2 массива A"_cp);
    EXPECT_EQ(ArrayIndex("X", 5), 1);
    EXPECT_EQ(ArrayIndex("Y", 5), 1);
    EXPECT_FALSE(ArrayHasKey("X", 6));
    EXPECT_EQ(ArrayIndex("X", 6), 2);  // ArrayHasKey created nothing
    EXPECT_TRUE(ArrayHasKey("x", 6));
    // Keys: the integer part of key + 1e-15.
    EXPECT_EQ(ArrayIndex("K", 0.9999999999999999L), 1);
    EXPECT_TRUE(ArrayHasKey("K", 1));
    EXPECT_EQ(ArrayIndex("K", -1), 2);
    EXPECT_TRUE(ArrayHasKey("K", 0));
    EXPECT_EQ(ArrayIndex("K", 2.9999999999999996L), 3);
    EXPECT_TRUE(ArrayHasKey("K", 3));
    EXPECT_THROW(ArrayIndex("K", 5e9L), RangeError);
    ResetArrays();
    EXPECT_EQ(ArrayIndex("A", 30), 1);
    EXPECT_FALSE(ArrayHasKey("X", 5));
    FreeArrayCells();
}

TEST(ControlArrays, DeclarationLimitsAndLongNames) {
    ScriptedUi ui;
    InARun run;
    ResetArrays();
    for (int i = 0; i < 100; ++i) DeclareArray("ARR" + std::to_string(i), 1);
    EXPECT_TRUE(ui->messageBoxes.empty());
    DeclareArray("ARR100", 1);
    ASSERT_EQ(ui->messageBoxes.size(), 1u);
    EXPECT_EQ(ui->messageBoxes[0], "Слишком много массивов в контроле!"_cp);
    EXPECT_EQ(ArrayIndex("ARR100", 1), 1);
    EXPECT_EQ(ArrayIndex("ARR100", 2), 2);  // undeclared: no limit
    EXPECT_EQ(ArrayIndex("ARR0", 1), 1);
    EXPECT_EQ(ArrayIndex("ARR0", 2), 2);  // the first 100 kept their limits
    EXPECT_EQ(ui->messageBoxes.size(), 2u);
    // A name of 21 characters matches no stored name: always slot 1, no capacity.
    ResetArrays();
    const std::string longName(21, 'L');
    DeclareArray(longName, 1);
    EXPECT_EQ(ArrayIndex(longName, 1), 1);
    EXPECT_EQ(ArrayIndex(longName, 2), 1);
    EXPECT_EQ(ArrayIndex(longName, 1), 1);
    EXPECT_FALSE(ArrayHasKey(longName, 1));
    EXPECT_EQ(ui->messageBoxes.size(), 2u);
    FreeArrayCells();
}
