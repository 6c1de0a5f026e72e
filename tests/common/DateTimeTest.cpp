#include "common/DateTime.h"

#include <gtest/gtest.h>

namespace qorita {
namespace {

TEST(DateTimeTest, CountsDaysFromTheEpochOf1899)
{
    EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime({1900, 1, 1, 12, 0, 0, 0}), 2.5);
    EXPECT_DOUBLE_EQ(EncodeDateTime({2026, 12, 10, 0, 0, 0, 0}), 46366.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 29, 6, 0, 0, 0}), -1.25);
}

TEST(DateTimeTest, RoundTripsToTheMillisecond)
{
    const TDateTimeParts in{2026, 2, 28, 23, 59, 58, 987};
    const TDateTimeParts out = DecodeDateTime(EncodeDateTime(in));
    EXPECT_EQ(out.Year, 2026);
    EXPECT_EQ(out.Month, 2);
    EXPECT_EQ(out.Day, 28);
    EXPECT_EQ(out.Hour, 23);
    EXPECT_EQ(out.Minute, 59);
    EXPECT_EQ(out.Second, 58);
    EXPECT_EQ(out.Millisecond, 987);
    const TDateTimeParts old = DecodeDateTime(-1.25);
    EXPECT_EQ(old.Day, 29);
    EXPECT_EQ(old.Hour, 6);
}

TEST(DateTimeTest, FormatsStampAndDropsMilliseconds)
{
    const TDateTime value = EncodeDateTime({2026, 3, 4, 5, 6, 7, 890});
    EXPECT_EQ(FormatStamp(value), "20260304050607");
    EXPECT_EQ(FormatIso(TruncateToSecond(value)), "2026-03-04 05:06:07.000");
}

}  // namespace
}  // namespace qorita
