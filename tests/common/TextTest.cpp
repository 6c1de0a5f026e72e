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
    ::testing::Values(IntCase{"123", 123}, IntCase{"  42", 42}, IntCase{"-7", -7}, IntCase{"+7", 7}, IntCase{"$1F", 31},
                      IntCase{"x10", 16}, IntCase{"X10", 16}, IntCase{"0x10", 16}, IntCase{"0XfF", 255},
                      IntCase{"-$10", -16}, IntCase{"$FFFFFFFF", -1}, IntCase{"$80000000", INT32_MIN},
                      IntCase{"2147483647", INT32_MAX}, IntCase{"-2147483648", INT32_MIN},
                      IntCase{"2147483648", std::nullopt}, IntCase{"$100000000", std::nullopt},
                      IntCase{"", std::nullopt}, IntCase{"  ", std::nullopt}, IntCase{"12 ", std::nullopt},
                      IntCase{"abc", std::nullopt}, IntCase{"1.5", std::nullopt}, IntCase{"-", std::nullopt},
                      IntCase{"0x", std::nullopt}, IntCase{"\t5", std::nullopt}, IntCase{"00012", 12}));

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
    EXPECT_EQ(UpperCase(std::string("a\xff"
                                    "b")),
              std::string("A\xff"
                          "B"));
}

TEST(AsciiCaseTest, ChangesOnlyAsciiLettersInAnyLocale)
{
    const char* previous = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_CTYPE, "C.UTF-8");
    EXPECT_EQ(UpperAscii("Content-Type: x1_z"), "CONTENT-TYPE: X1_Z");
    EXPECT_EQ(LowerAscii("Content-Type: X1_Z"), "content-type: x1_z");
    EXPECT_EQ(UpperAscii("crème"), "CRèME");
    EXPECT_EQ(LowerAscii("CRÈME"), "crÈme");
    std::setlocale(LC_CTYPE, saved.c_str());
}

struct NoCaseCase {
    const char* Text;
    const char* Other;
    bool Equal;
    bool StartsWith;
};

void PrintTo(const NoCaseCase& ACase, std::ostream* AOut)
{
    *AOut << "'" << ACase.Text << "' / '" << ACase.Other << "'";
}

class NoCaseTest : public ::testing::TestWithParam<NoCaseCase> {};

TEST_P(NoCaseTest, ComparesAsciiLettersWithoutCase)
{
    const NoCaseCase& c = GetParam();
    EXPECT_EQ(EqualsNoCase(c.Text, c.Other), c.Equal);
    EXPECT_EQ(StartsWithNoCase(c.Text, c.Other), c.StartsWith);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoCaseTest,
    ::testing::Values(NoCaseCase{"NaN", "NAN", true, true}, NoCaseCase{"-inf", "-INF", true, true},
                      NoCaseCase{"HTTPS://host", "https://", false, true}, NoCaseCase{"http", "https://", false, false},
                      NoCaseCase{"", "", true, true}, NoCaseCase{"x", "", false, true},
                      NoCaseCase{"[", "{", false, false},  // '[' and '{' are 32 apart but not letters
                      NoCaseCase{"\xc3\xa8", "\xc3\x88", false, false}));

TEST(TrimTest, DropsBlanksAtBothEndsOnly)
{
    EXPECT_EQ(Trim(" \t\r\n a b \r\n"), "a b");
    EXPECT_EQ(Trim("ab"), "ab");
    EXPECT_EQ(Trim(" \t\r\n"), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("\va\f"), "\va\f");  // other control characters stay
}

TEST(JoinTest, PutsTheSeparatorBetweenItemsOnly)
{
    EXPECT_EQ(Join({"a", "b", "c"}, ", "), "a, b, c");
    EXPECT_EQ(Join({"a"}, "; "), "a");
    EXPECT_EQ(Join({"", ""}, ";"), ";");
    EXPECT_EQ(Join({}, ", "), "");
}

TEST(JoinLinesTest, EndsEveryEntryWithCrLf)
{
    EXPECT_EQ(JoinLines({"SELECT", "  X", "FROM T"}), "SELECT\r\n  X\r\nFROM T\r\n");
    EXPECT_EQ(JoinLines(std::vector<std::string>{"a", ""}), "a\r\n\r\n");
    EXPECT_EQ(JoinLines(std::vector<std::string>{}), "");
}

}  // namespace
}  // namespace qorita
