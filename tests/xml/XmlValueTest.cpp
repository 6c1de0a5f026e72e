#include "xml/XmlValue.h"

#include "ErrorOf.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qorita::xml {
namespace {

using test::ErrorOf;

TEST(XmlValue, IntegersAreWrittenAsPlainDecimals)
{
    EXPECT_EQ(IntegerToText(-5), "-5");
    EXPECT_EQ(IntegerToText(0), "0");
    EXPECT_EQ(IntegerToText(1234567), "1234567");
    EXPECT_EQ(IntegerToText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

struct DoubleCase {
    double Value;
    const char* Text;
};

void PrintTo(const DoubleCase& ACase, std::ostream* AOut) { *AOut << ACase.Text; }

class DoubleToTextTest : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(DoubleToTextTest, WritesAtMostFifteenSignificantDigitsWithoutTrailingZeros)
{
    EXPECT_EQ(DoubleToText(GetParam().Value), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(Cases, DoubleToTextTest,
                         ::testing::Values(DoubleCase{2.5, "2.5"}, DoubleCase{12.0, "12"}, DoubleCase{0.1, "0.1"},
                                           DoubleCase{0.0, "0"}, DoubleCase{-0.0, "0"}, DoubleCase{-3.75, "-3.75"},
                                           DoubleCase{19.99, "19.99"}, DoubleCase{0.1 + 0.2, "0.3"},
                                           DoubleCase{123456.78, "123456.78"},
                                           DoubleCase{1.0 / 3.0, "0.333333333333333"},
                                           DoubleCase{999999999.99, "999999999.99"},
                                           DoubleCase{std::numeric_limits<double>::quiet_NaN(), "NaN"},
                                           DoubleCase{std::numeric_limits<double>::infinity(), "INF"},
                                           DoubleCase{-std::numeric_limits<double>::infinity(), "-INF"}));

struct DecimalCase {
    const char* Text;
    double Expected;
};

void PrintTo(const DecimalCase& ACase, std::ostream* AOut) { *AOut << "'" << ACase.Text << "'"; }

class TextToDecimalTest : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(TextToDecimalTest, ReadsInvariantNumbersAndTheWords)
{
    const double value = TextToDecimal(GetParam().Text);
    if (std::isnan(GetParam().Expected)) {
        EXPECT_TRUE(std::isnan(value));
    } else {
        EXPECT_EQ(value, GetParam().Expected) << GetParam().Text;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TextToDecimalTest,
                         ::testing::Values(DecimalCase{"", 0}, DecimalCase{"   ", 0}, DecimalCase{" 2.5 ", 2.5},
                                           DecimalCase{"-0.125", -0.125}, DecimalCase{"+3", 3},
                                           DecimalCase{"1e3", 1000}, DecimalCase{"2.5E-1", 0.25},
                                           DecimalCase{".5", 0.5}, DecimalCase{"7.", 7},
                                           DecimalCase{"NaN", std::nan("")}, DecimalCase{"nan", std::nan("")},
                                           DecimalCase{"inf", HUGE_VAL}, DecimalCase{"INF", HUGE_VAL},
                                           DecimalCase{"-Inf", -HUGE_VAL}));

TEST(XmlValue, DecimalReadRefusesWhatIsNotANumber)
{
    for (const char* text : {"1,5", "abc", " inf", "infinity", "1.2.3", "1e", "-", ".", "0x10", "1 000"}) {
        EXPECT_EQ(ErrorOf([&] { TextToDecimal(text); }),
                  std::string("'") + text + "' is not a valid floating point value");
    }
}

TEST(XmlValue, IntegerReadOfEmptyTextIsANullConversion)
{
    EXPECT_EQ(TextToInteger("42"), 42);
    EXPECT_EQ(TextToInteger("-7"), -7);
    EXPECT_EQ(ErrorOf([] { TextToInteger(""); }), "Could not convert variant of type (Null) into type (Integer)");
    EXPECT_EQ(ErrorOf([] { TextToInteger("12a"); }), "Could not convert variant of type (String) into type (Integer)");
    EXPECT_THROW(TextToInteger("2147483648"), Exception);
}

}  // namespace
}  // namespace qorita::xml
