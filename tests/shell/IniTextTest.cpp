#include "IniText.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <string>
#include <tuple>

namespace {

std::string Find(std::string_view text, std::string_view section, std::string_view key)
{
    std::string value = "<missing>";
    CIniText::Find(text, section, key, value);
    return value;
}

std::string Set(std::string text, std::string_view section, std::string_view key, std::string_view value)
{
    EXPECT_TRUE(CIniText::Set(text, section, key, value));
    return text;
}

} // namespace

TEST(IniText, WriterPlacesKeysWhereTheReaderFindsThem)
{
    const std::string file = "[FunSelect]\nHotKey=3\n  SelValue  =  654321\n\n[Log]\nLog_Level = 1\n";

    // An existing key keeps its key part and "=", then gets " value".
    EXPECT_EQ(Set(file, "FunSelect", "SelValue", "123456"),
              "[FunSelect]\nHotKey=3\n  SelValue  = 123456\n\n[Log]\nLog_Level = 1\n");
    // A missing key goes right under the header.
    EXPECT_EQ(Set(file, "Log", "Log_Delete_Day", "7"),
              "[FunSelect]\nHotKey=3\n  SelValue  =  654321\n\n[Log]\nLog_Delete_Day = 7\nLog_Level = 1\n");
    // A missing section is appended after an empty line.
    EXPECT_EQ(Set(file, "CustomKey", "key", "1"), file + "\n[CustomKey]\nkey = 1\n");
    // An empty file gets the same layout.
    EXPECT_EQ(Set("", "FunSet_Set", "MouseDPI", "80"), "\n[FunSet_Set]\nMouseDPI = 80\n");
    // A header on the last line without a line end is completed first.
    EXPECT_EQ(Set("[Log]", "Log", "Log_Level", "2"), "[Log]\nLog_Level = 2\n");
    // A CRLF line keeps its line end when rewritten.
    EXPECT_EQ(Set("[Log]\r\nLog_Level=1\r\nLog_Delete_Day=7\r\n", "Log", "Log_Level", "3"),
              "[Log]\r\nLog_Level= 3\r\nLog_Delete_Day=7\r\n");
}

TEST(IniText, SectionsSharingAKeyNameAreIndependent)
{
    std::string file = "[FunSet_Searchlight]\nShowMouse = 0\nSaveStatu = 0\n[FunSet_Zoom]\nShowMouse = 0\n";
    file = Set(file, "FunSet_Zoom", "ShowMouse", "1");
    EXPECT_EQ(Find(file, "FunSet_Searchlight", "ShowMouse"), "0");
    EXPECT_EQ(Find(file, "FunSet_Zoom", "ShowMouse"), "1");
    file = Set(file, "FunSet_Searchlight", "ShowMouse", "1");
    file = Set(file, "FunSet_Zoom", "ShowMouse", "0");
    EXPECT_EQ(file, "[FunSet_Searchlight]\nShowMouse = 1\nSaveStatu = 0\n[FunSet_Zoom]\nShowMouse = 0\n");
}

TEST(IniText, EmptyLineEndsTheSection)
{
    const std::string file = "[FunSet_Postil]\nLineColor = 2\n\nLineSize = 9\n";
    EXPECT_EQ(Find(file, "FunSet_Postil", "LineColor"), "2");
    EXPECT_EQ(Find(file, "FunSet_Postil", "LineSize"), "<missing>");
    // The writer agrees: the key after the gap is left alone and a new one goes under the header.
    EXPECT_EQ(Set(file, "FunSet_Postil", "LineSize", "4"), "[FunSet_Postil]\nLineSize = 4\nLineColor = 2\n\nLineSize = 9\n");
    // A repeated header does not end the section; any other line without "=" does.
    EXPECT_EQ(Find("[A]\nx=1\n[A]\ny=2\n", "A", "y"), "2");
    EXPECT_EQ(Find("[A]\nx=1\n[B]\n[A]\ny=2\n", "A", "y"), "<missing>");
}

TEST(IniText, CommentsAreSkippedEvenWithAnEqualsSign)
{
    const std::string file = "#[Log]\n[Log]\n# Log_Level = 4\n// Log_Level=5\nLog_Level = 1\n";
    EXPECT_EQ(Find(file, "Log", "Log_Level"), "1");
    EXPECT_EQ(Find("[Log]\n#Log_Level=4\n", "Log", "Log_Level"), "<missing>");
    // A comment does not end the section, and the writer does not rewrite it.
    EXPECT_EQ(Set("[Log]\n#Log_Level=4\n", "Log", "Log_Level", "2"), "[Log]\nLog_Level = 2\n#Log_Level=4\n");
}

TEST(IniText, HeadersKeysAndValuesAsTheReaderSeesThem)
{
    // Header: a case-sensitive prefix match.
    EXPECT_EQ(Find("[FunSelect] old\nHotKey=2\n", "FunSelect", "HotKey"), "2");
    EXPECT_EQ(Find("[funselect]\nHotKey=2\n", "FunSelect", "HotKey"), "<missing>");
    EXPECT_EQ(Find(" [FunSelect]\nHotKey=2\n", "FunSelect", "HotKey"), "<missing>");
    // Key: spaces removed, tabs kept, compared exactly.
    EXPECT_EQ(Find("[S]\n Hot Key =2\n", "S", "HotKey"), "2");
    EXPECT_EQ(Find("[S]\n\tHotKey=2\n", "S", "HotKey"), "<missing>");
    EXPECT_EQ(Find("[S]\nhotkey=2\n", "S", "HotKey"), "<missing>");
    // Value: after the first "=", leading spaces skipped, trailing ones and later "=" kept.
    EXPECT_EQ(Find("[S]\nweburl =   http://a.b/?x=1  \n", "S", "weburl"), "http://a.b/?x=1  ");
    EXPECT_EQ(Find("[S]\nweburl =\n", "S", "weburl"), "");
    // Windows line ends and a byte-order mark do not reach keys, values or headers.
    EXPECT_EQ(Find("\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k"), "v");
}

TEST(IniText, UnreadableLinesArePassedOverAndCopiedThrough)
{
    const std::string longLine = "weburl = " + std::string(2000, 'x');
    const std::string binary("Image1Url = a\0b", 15);
    const std::string file = "[CustomKey]\n" + longLine + "\n" + binary + "\nkey = 3\n";

    size_t bad = 0;
    std::string value;
    EXPECT_FALSE(CIniText::Find(file, "CustomKey", "weburl", value, &bad));
    EXPECT_EQ(bad, 2u);
    // Neither ends the section: the key after them still reads.
    EXPECT_EQ(Find(file, "CustomKey", "key"), "3");

    // A write elsewhere leaves both lines byte for byte.
    const std::string written = Set(file, "CustomKey", "key", "4");
    EXPECT_EQ(written, "[CustomKey]\n" + longLine + "\n" + binary + "\nkey = 4\n");
    // Writing the over-long key adds a readable line and keeps the old one.
    const std::string rewritten = Set(file, "CustomKey", "weburl", "http://x");
    EXPECT_NE(rewritten.find(longLine + "\n"), std::string::npos);
    EXPECT_EQ(Find(rewritten, "CustomKey", "weburl"), "http://x");

    // 1023 characters is still a line; 1024 is not.
    const std::string edge = "k = " + std::string(kMaxIniLine - 4, 'y');
    EXPECT_EQ(Find("[S]\n" + edge + "\n", "S", "k"), std::string(kMaxIniLine - 4, 'y'));
    EXPECT_EQ(Find("[S]\n" + edge + "y\n", "S", "k"), "<missing>");
}

TEST(IniText, WriterRefusesWhatCouldNotBeReadBack)
{
    const std::string original = "[S]\nk = 1\n";
    for (auto [section, key, value] : std::initializer_list<std::tuple<std::string, std::string, std::string>>{
             {"S", "k", "two\nlines"}, {"S", "k", "cr\r"}, {"S", "a=b", "1"}, {"S", "a b", "1"}, {"S", "", "1"},
             {"S", "#k", "1"}, {"S", "//k", "1"}, {"S", "[S]k", "1"}, {"", "k", "1"}, {"S\n", "k", "1"},
             {"S", "k", std::string(kMaxIniLine, 'z')}, {"S", "new", std::string(kMaxIniLine, 'z')}}) {
        std::string text = original;
        EXPECT_FALSE(CIniText::Set(text, section, key, value)) << key << " / " << value.size();
        EXPECT_EQ(text, original);
    }
}

TEST(IniText, NumbersReadLikeADecimalConversion)
{
    EXPECT_EQ(CIniText::RealToInt(CIniText::ParseReal("6.000000")), 6);
    EXPECT_EQ(CIniText::RealToInt(CIniText::ParseReal("85.9")), 85);
    EXPECT_EQ(CIniText::RealToInt(CIniText::ParseReal("-1")), -1);
    EXPECT_EQ(CIniText::RealToInt(CIniText::ParseReal("-0.9")), 0);
    EXPECT_EQ(CIniText::RealToInt(CIniText::ParseReal(" +12abc")), 12);
    EXPECT_EQ(CIniText::RealToInt(CIniText::ParseReal("abc")), 0);
    EXPECT_EQ(CIniText::RealToInt(CIniText::ParseReal("")), 0);
    EXPECT_EQ(CIniText::RealToInt(CIniText::ParseReal("+-3")), 0);
    EXPECT_EQ(CIniText::RealToInt(CIniText::ParseReal("1e3")), 1000);
    EXPECT_EQ(CIniText::RealToInt(CIniText::ParseReal("1e999")), INT_MAX);
    EXPECT_EQ(CIniText::RealToInt(CIniText::ParseReal("-1e999")), INT_MIN);
    EXPECT_EQ(CIniText::ParseReal("1e-999"), 0.0);
    EXPECT_EQ(CIniText::RealToInt(CIniText::ParseReal("nan")), 0);
    EXPECT_FLOAT_EQ(static_cast<float>(CIniText::ParseReal("0.5")), 0.5f);

    EXPECT_EQ(CIniText::FormatInt(-1), "-1");
    EXPECT_EQ(CIniText::FormatReal(0.5), "0.500000");
    EXPECT_EQ(CIniText::FormatReal(2.0f), "2.000000");
    EXPECT_EQ(CIniText::FormatReal(0.1f), "0.100000");
    EXPECT_EQ(CIniText::FormatReal(-1234.5678), "-1234.567800");
}
