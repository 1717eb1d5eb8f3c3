// The keys a terminal sends, as the stop button reads them.
#include <gtest/gtest.h>

#include "platform/ui/key_scan.h"

using namespace tesma;

TEST(KeyScan, EscAloneStopsArrowAndFunctionKeysDoNot) {
    ui::KeyScan keys;
    EXPECT_FALSE(keys.Feed("\x1b[A"));  // arrow up
    EXPECT_FALSE(keys.Pending());
    EXPECT_FALSE(keys.Feed("\x1b[15~\x1bOP"));  // F5, F1
    EXPECT_FALSE(keys.Feed("\x1b"));
    EXPECT_TRUE(keys.Pending());
    EXPECT_FALSE(keys.Feed("["));  // the rest of an arrow key arrives later
    EXPECT_FALSE(keys.Feed("B"));
    EXPECT_FALSE(keys.Timeout());
    EXPECT_FALSE(keys.Feed("\x1b"));
    EXPECT_TRUE(keys.Timeout());  // nothing followed: the Esc key
    EXPECT_TRUE(keys.Feed("\x1b\x1b["));
}
