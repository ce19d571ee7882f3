#include <gtest/gtest.h>

#include "core/columns.h"

using namespace quorvex;

TEST(CompareText, FoldsOnlyAsciiLetters)
{
    EXPECT_EQ(CompareText("abc", "ABC"), 0);
    EXPECT_LT(CompareText("", "a"), 0);
}
