#include "common/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace qorita {
namespace {

struct DoubleCase {
    double Value;
    const char* Expected;
};

void PrintTo(const DoubleCase& ACase, std::ostream* AOut) { *AOut << ACase.Expected; }

class FormatDoubleTest : public ::testing::TestWithParam<DoubleCase> {};

// The text is printf's "%.15g" in the C locale, which the database layer wrote
// before: the same values must keep the same text.
TEST_P(FormatDoubleTest, WritesPrintfsFifteenDigitGeneralForm)
{
    const DoubleCase& c = GetParam();
    EXPECT_EQ(FormatDouble(c.Value), c.Expected);
    char printed[64];
    std::snprintf(printed, sizeof printed, "%.15g", c.Value);
    EXPECT_EQ(FormatDouble(c.Value), printed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatDoubleTest,
    ::testing::Values(DoubleCase{2.5, "2.5"}, DoubleCase{12, "12"}, DoubleCase{0.1, "0.1"}, DoubleCase{1.25, "1.25"},
                      DoubleCase{-7.125, "-7.125"}, DoubleCase{1.0 / 3, "0.333333333333333"},
                      DoubleCase{123456789012345678.0, "1.23456789012346e+17"},
                      DoubleCase{999999999999999.0, "999999999999999"}, DoubleCase{1e15, "1e+15"},
                      DoubleCase{1e20, "1e+20"}, DoubleCase{0.0001, "0.0001"}, DoubleCase{0.00001, "1e-05"},
                      DoubleCase{0.0, "0"}, DoubleCase{-0.0, "-0"},
                      DoubleCase{std::numeric_limits<double>::infinity(), "inf"},
                      DoubleCase{-std::numeric_limits<double>::infinity(), "-inf"},
                      DoubleCase{std::numeric_limits<double>::quiet_NaN(), "nan"},
                      DoubleCase{std::numeric_limits<double>::max(), "1.79769313486232e+308"},
                      DoubleCase{std::numeric_limits<double>::denorm_min(), "4.94065645841247e-324"}));

TEST(FormatIntegerTest, WritesDecimalDigitsWithASign)
{
    EXPECT_EQ(FormatInteger(0), "0");
    EXPECT_EQ(FormatInteger(-42), "-42");
    EXPECT_EQ(FormatInteger(std::numeric_limits<std::int64_t>::max()), "9223372036854775807");
    EXPECT_EQ(FormatInteger(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(FormatPaddedIdTest, WritesAtLeastEightDigits)
{
    EXPECT_EQ(FormatPaddedId(1234), "00001234");
    EXPECT_EQ(FormatPaddedId(0), "00000000");
    EXPECT_EQ(FormatPaddedId(123456789), "123456789");
}

TEST(FormatDoubleExactTest, ReadsBackToTheSameBits)
{
    for (const double value : {46367.604166666664, 0.1, -2.5, 1e-300, 0.0}) {
        double back = -1.0;
        ASSERT_TRUE(ParseDouble(FormatDoubleExact(value), back)) << value;
        EXPECT_EQ(std::memcmp(&back, &value, sizeof value), 0) << FormatDoubleExact(value);
    }
    EXPECT_EQ(FormatDoubleExact(46367.5), "46367.5");
}

TEST(ParseNumberTest, TakesTheWholeTextOrNothing)
{
    std::int32_t small = 99;
    EXPECT_TRUE(ParseInteger("-2147483648", small));
    EXPECT_EQ(small, std::numeric_limits<std::int32_t>::min());
    for (const char* wrong : {"", " 1", "1 ", "+1", "2147483648", "1.0", "0x1F", "12a"}) {
        small = 99;
        EXPECT_FALSE(ParseInteger(wrong, small)) << wrong;
        EXPECT_EQ(small, 99) << wrong;  // untouched on failure
    }
    std::int64_t large = 0;
    EXPECT_TRUE(ParseInteger("9000000000", large));
    EXPECT_EQ(large, 9000000000LL);
    double value = 0.0;
    EXPECT_TRUE(ParseDouble("2.5e1", value));
    EXPECT_EQ(value, 25.0);
    for (const char* wrong : {"", "1,5", " 1", "1.5x"}) EXPECT_FALSE(ParseDouble(wrong, value)) << wrong;
}

}  // namespace
}  // namespace qorita
