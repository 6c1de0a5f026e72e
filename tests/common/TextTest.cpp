#include "common/Text.h"

#include <gtest/gtest.h>

#include <clocale>

namespace qorita {
namespace {

struct IntCase {
    const char* Text;
    std::optional<std::int32_t> Expected;
};

void PrintTo(const IntCase& ACase, std::ostream* AOut) { *AOut << "'" << ACase.Text << "'"; }

class StrToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(StrToIntTest, FollowsThePlatformRule)
{
    const IntCase& c = GetParam();
    EXPECT_EQ(TryStrToInt(c.Text), c.Expected) << "text: '" << c.Text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StrToIntTest,
    ::testing::Values(IntCase{"123", 123}, IntCase{"  42", 42}, IntCase{"-7", -7}, IntCase{"+7", 7},
                      IntCase{"$1F", 31}, IntCase{"x10", 16}, IntCase{"X10", 16}, IntCase{"0x10", 16},
                      IntCase{"0XfF", 255}, IntCase{"-$10", -16}, IntCase{"$FFFFFFFF", -1},
                      IntCase{"$80000000", INT32_MIN}, IntCase{"2147483647", INT32_MAX},
                      IntCase{"-2147483648", INT32_MIN}, IntCase{"2147483648", std::nullopt},
                      IntCase{"$100000000", std::nullopt}, IntCase{"", std::nullopt},
                      IntCase{"  ", std::nullopt}, IntCase{"12 ", std::nullopt}, IntCase{"abc", std::nullopt},
                      IntCase{"1.5", std::nullopt}, IntCase{"-", std::nullopt}, IntCase{"0x", std::nullopt},
                      IntCase{"\t5", std::nullopt}, IntCase{"00012", 12}));

TEST(StrToIntDefTest, GivesTheDefaultForNonIntegers)
{
    EXPECT_EQ(StrToIntDef("abc", 0), 0);
    EXPECT_EQ(StrToIntDef("9", 0), 9);
}

TEST(UpperCaseTest, HandlesAsciiAndNonAsciiLetters)
{
    const char* previous = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_CTYPE, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
    EXPECT_EQ(UpperCase("databaseName=x"), "DATABASENAME=X");
    EXPECT_EQ(UpperCase("crèmeé"), "CRÈMEÉ");
    EXPECT_EQ(UpperCase("straße€"), "STRAßE€");
    std::setlocale(LC_CTYPE, saved.c_str());
}

TEST(UpperCaseTest, KeepsUndecodableBytes)
{
    EXPECT_EQ(UpperCase(std::string("a\xff" "b")), std::string("A\xff" "B"));
}

}  // namespace
}  // namespace qorita
