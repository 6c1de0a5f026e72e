#include "common/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace qorita {
namespace {

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

TEST(Utf8, Utf16LengthCountsPairsTwice) { EXPECT_EQ(Utf16Length("aè😀"), 4u); }

TEST(Utf8, InvalidUtf8IsReplacedNotPassedOn)
{
    EXPECT_EQ(SanitizeUtf8("a\xE8z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(SanitizeUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // an encoded surrogate
    EXPECT_EQ(SanitizeUtf8("ok è 😀"), "ok è 😀");
}

TEST(Utf8, FirstCharactersKeepEachLeadWithItsContinuationBytes)
{
    EXPECT_EQ(FirstCharacters("abc", 2), "ab");
    EXPECT_EQ(FirstCharacters("èèè", 2), "èè");
    EXPECT_EQ(FirstCharacters("😀x", 1), "😀");
    EXPECT_EQ(FirstCharacters("\xE8z", 1), "\xE8");
    EXPECT_EQ(FirstCharacters("\x80\x80z", 1), "\x80\x80");
    EXPECT_EQ(FirstCharacters("", 3), "");
}

}  // namespace
}  // namespace qorita
