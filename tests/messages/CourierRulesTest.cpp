#include "labelservice/CourierRules.h"
#include "xml/XmlValue.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace qorita::labelservice {
namespace {

using xml::DoubleToText;

TEST(CourierRules, CapsAreUpperLimitsOnly)
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
}  // namespace qorita::labelservice
