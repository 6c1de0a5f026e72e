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

struct CutCase {
    const char* Text;
    std::size_t Units;
    const char* Expected;
};

void PrintTo(const CutCase& ACase, std::ostream* AOut) { *AOut << ACase.Text << " at " << ACase.Units; }

class CutUtf16Test : public ::testing::TestWithParam<CutCase> {};

TEST_P(CutUtf16Test, CountsUtf16CodeUnitsAndNeverSplitsAPair)
{
    EXPECT_EQ(CutUtf16(GetParam().Text, GetParam().Units), GetParam().Expected);
}

// "è" is one code unit in two bytes; "😀" (U+1F600) is a surrogate pair in four.
INSTANTIATE_TEST_SUITE_P(Cases, CutUtf16Test,
                         ::testing::Values(CutCase{"ABC", 2, "AB"}, CutCase{"A", 2, "A"}, CutCase{"", 2, ""},
                                           CutCase{"èèè", 2, "èè"}, CutCase{"A😀B", 3, "A😀"}, CutCase{"A😀B", 2, "A"},
                                           CutCase{"😀", 1, ""}, CutCase{"ab😀", 4, "ab😀"}));

TEST(XmlValue, Utf16LengthCountsPairsTwice) { EXPECT_EQ(Utf16Length("aè😀"), 4u); }

TEST(XmlValue, InvalidUtf8IsReplacedNotPassedOn)
{
    EXPECT_EQ(SanitizeUtf8("a\xE8z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(SanitizeUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // an encoded surrogate
    EXPECT_EQ(SanitizeUtf8("ok è 😀"), "ok è 😀");
}

TEST(XmlValue, CapsAreUpperLimitsOnly)
{
    EXPECT_EQ(CapInteger(1234567, 999999), 999999);
    EXPECT_EQ(CapInteger(999999, 999999), 999999);
    EXPECT_EQ(CapInteger(999998, 999999), 999998);
    EXPECT_EQ(CapInteger(-3, 999999), -3);
}

struct RoundCase {
    double Value;
    int Places;
    const char* Written;
};

void PrintTo(const RoundCase& ACase, std::ostream* AOut) { *AOut << ACase.Written; }

class RoundHalfEvenTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEvenTest, FollowsTheHeldDoubleAndTiesToEven)
{
    EXPECT_EQ(DoubleToText(RoundHalfEven(GetParam().Value, GetParam().Places)), GetParam().Written)
        << GetParam().Value << " to " << GetParam().Places;
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundHalfEvenTest,
                         ::testing::Values(RoundCase{2.25, 1, "2.2"}, RoundCase{2.35, 1, "2.4"},
                                           RoundCase{2.75, 1, "2.8"}, RoundCase{10, 1, "10"}, RoundCase{0.05, 1, "0.1"},
                                           RoundCase{2.45, 1, "2.5"}, RoundCase{0.125, 2, "0.12"},
                                           RoundCase{0.375, 2, "0.38"}, RoundCase{19.999, 2, "20"},
                                           RoundCase{1.005, 2, "1"}, RoundCase{12.345, 2, "12.35"},
                                           RoundCase{-2.25, 1, "-2.2"},
                                           RoundCase{std::numeric_limits<double>::quiet_NaN(), 1, "NaN"}));

}  // namespace
}  // namespace qorita::xml
