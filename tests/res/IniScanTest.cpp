// The scanner must see the faults that make the program's reader lose keys, or the file checks
// below would pass on broken files.

#include "IniScan.h"

#include <gtest/gtest.h>

namespace {

bool Mentions(const IniScan& scan, const std::string& text)
{
    for (const std::string& problem : scan.problems) {
        if (problem.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(IniScan, ReadsKeysAndValuesLikeTheProgram)
{
    const IniScan scan = ScanIniText("# comment = not a key\n[a]\nk1 = v1\n k 2=  v2 \n\n[b]\nk1=other\n");
    EXPECT_TRUE(scan.problems.empty());
    ASSERT_NE(scan.Entry("a", "k1"), nullptr);
    EXPECT_EQ(scan.Entry("a", "k1")->value, "v1");
    ASSERT_NE(scan.Entry("a", "k2"), nullptr);
    EXPECT_EQ(scan.Entry("a", "k2")->value, "v2 "); // trailing spaces stay
    EXPECT_EQ(scan.Entry("b", "k1")->value, "other");
    EXPECT_EQ(scan.Entry("a", "missing"), nullptr);
}

TEST(IniScan, FlagsKeysHiddenBehindAnEmptyLineAndOtherReaderTraps)
{
    const std::string longLine = "long = " + std::string(1100, 'x');
    const IniScan scan = ScanIniText("[a]\nk1 = 1\n\nk2 = 2\n[a]\n[b]\nx = 1\nx = 2\n# note\ny = \xC3\x28\n" +
                                     longLine + "\nz = 1\r\n");
    EXPECT_TRUE(Mentions(ScanIniText("\xEF\xBB\xBF[a]\nk = 1\n"), "byte order mark"));
    EXPECT_TRUE(Mentions(scan, "key \"k2\" is hidden after the end of [a]"));
    EXPECT_TRUE(Mentions(scan, "section [a] appears twice"));
    EXPECT_TRUE(Mentions(scan, "key \"x\" repeated in [b]"));
    EXPECT_TRUE(Mentions(scan, "line 9: comment inside section [b]"));
    EXPECT_TRUE(Mentions(scan, "line 10: not valid UTF-8"));
    EXPECT_TRUE(Mentions(scan, "line 11: longer than 1023"));
    EXPECT_TRUE(Mentions(scan, "over 511 bytes"));
    EXPECT_TRUE(Mentions(scan, "carriage return"));
}

TEST(IniScan, Utf8CheckRejectsTruncatedOverlongAndSurrogateForms)
{
    EXPECT_TRUE(IsValidUtf8("Gr\xC3\xBC\xC3\x9F" "e \xE4\xBD\xA0\xE5\xA5\xBD \xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("\xE4\xBD"));         // cut short at the end
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));     // overlong three-byte form
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate half
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // past U+10FFFF
}
