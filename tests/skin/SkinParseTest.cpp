// Attribute lists, values, image texts, skin XML and the layout arithmetic: all without widgets.

#include <QString>
#include <gtest/gtest.h>

#include "AttributeList.h"
#include "CDuiString.h"
#include "ImageAttr.h"
#include "LayoutShare.h"
#include "SkinValues.h"
#include "SkinXmlParser.h"

using namespace skin;

TEST(AttributeListTest, ReadsPairsWithQuotedSubValues)
{
    const auto list = ParseAttributeList(
        "normalimage=\"file='button\\Select.png' source='0,0,20,20'\" textcolor=\"#FF333333\"\n\tpos = \"10,10,90,40\" text='a \"b\"'");
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].first, "normalimage");
    EXPECT_EQ(list[0].second, "file='button\\Select.png' source='0,0,20,20'");
    EXPECT_EQ(list[1], (Attribute{"textcolor", "#FF333333"}));
    EXPECT_EQ(list[2], (Attribute{"pos", "10,10,90,40"}));
    EXPECT_EQ(list[3], (Attribute{"text", "a \"b\""}));
    EXPECT_TRUE(ParseAttributeList("").empty());
    EXPECT_TRUE(ParseAttributeList("   \n ").empty());
}

TEST(AttributeListTest, KeepsWhatParsedBeforeMalformedInput)
{
    // Unterminated value: the pair is dropped, earlier ones kept.
    auto list = ParseAttributeList("text=\"ok\" bkcolor=\"#FF00");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], (Attribute{"text", "ok"}));
    // Name without '=' or value without quotes ends the list.
    EXPECT_EQ(ParseAttributeList("a=\"1\" broken b=\"2\"").size(), 1u);
    EXPECT_EQ(ParseAttributeList("a=\"1\" b=2 c=\"3\"").size(), 1u);
    EXPECT_TRUE(ParseAttributeList("=\"x\"").empty());
    EXPECT_TRUE(ParseAttributeList("name=").empty());
    // Embedded zero bytes are data, not terminators.
    const std::string withZero("a=\"x\0y\"", 7);
    list = ParseAttributeList(withZero);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].second.size(), 3u);
}

TEST(SkinValuesTest, Colours)
{
    DWORD c = 1;
    EXPECT_TRUE(ParseColor("#FF333333", c));
    EXPECT_EQ(c, 0xFF333333u);
    EXPECT_TRUE(ParseColor("#123456", c));
    EXPECT_EQ(c, 0xFF123456u); // six digits are opaque
    EXPECT_TRUE(ParseColor("0x80ABCDEF", c));
    EXPECT_EQ(c, 0x80ABCDEFu);
    EXPECT_TRUE(ParseColor(" #00000000 ", c));
    EXPECT_EQ(c, 0u);
    c = 7;
    EXPECT_FALSE(ParseColor("#GG000000", c));
    EXPECT_FALSE(ParseColor("#", c));
    EXPECT_FALSE(ParseColor("#1234567890", c));
    EXPECT_EQ(c, 7u); // untouched on failure
}

TEST(SkinValuesTest, RectsSizesNumbersAndFlags)
{
    RECT rc{9, 9, 9, 9};
    EXPECT_TRUE(ParseRect("10, 20,30 ,40", rc));
    EXPECT_EQ(rc, (RECT{10, 20, 30, 40}));
    EXPECT_TRUE(ParseRect("-5,6", rc));
    EXPECT_EQ(rc, (RECT{-5, 6, 0, 0}));
    EXPECT_FALSE(ParseRect("1,x,3,4", rc));
    EXPECT_FALSE(ParseRect("", rc));
    EXPECT_EQ(rc, (RECT{-5, 6, 0, 0}));

    SIZE size{};
    EXPECT_TRUE(ParseSize("300,200", size));
    EXPECT_EQ(size, (SIZE{300, 200}));

    int n = 0;
    EXPECT_TRUE(ParseInt("99999999999999999999", n));
    EXPECT_EQ(n, 2147483647);
    EXPECT_TRUE(ParseInt("-99999999999999999999", n));
    EXPECT_EQ(n, -2147483647 - 1);
    EXPECT_FALSE(ParseInt("12a", n));
    EXPECT_FALSE(ParseInt("-", n));

    bool flag = false;
    EXPECT_TRUE(ParseBool("TRUE", flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(ParseBool("0", flag));
    EXPECT_FALSE(flag);
    EXPECT_FALSE(ParseBool("yes", flag));
}

TEST(ImageAttrTest, BarePathsAndSubValues)
{
    ImageAttr spec = ParseImageAttr("button\\FunctionSet\\on.png");
    EXPECT_EQ(spec.file, "button/FunctionSet/on.png");
    EXPECT_FALSE(spec.hasSource);

    spec = ParseImageAttr("file='Setting\\\\bk2.png' source='0,0,20,10' corner='2,2,2,2' dest='1,1,5,5' fade='300'");
    EXPECT_EQ(spec.file, "Setting/bk2.png");
    EXPECT_TRUE(spec.hasSource);
    EXPECT_EQ(spec.source, (RECT{0, 0, 20, 10}));
    EXPECT_EQ(spec.corner, (RECT{2, 2, 2, 2}));
    EXPECT_TRUE(spec.hasDest);
    EXPECT_EQ(spec.fade, 255);

    EXPECT_TRUE(ParseImageAttr("").file.empty());
    EXPECT_TRUE(ParseImageAttr("source='0,0,1,1'").file.empty());
    EXPECT_EQ(NormaliseSkinPath(".\\a\\\\b/c.png"), "a/b/c.png");
}

TEST(SkinXmlParserTest, ReadsTheTree)
{
    const SkinDocument doc = ParseSkinXml(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Window size=\"300,200\"><Font id=\"0\" size=\"12\"/>"
        "<VerticalLayout name=\"root\"><Button name=\"b\" text=\"&lt;ok&gt;\"/><Label/></VerticalLayout></Window>");
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_EQ(doc.window.tag, "Window");
    ASSERT_NE(doc.window.Find("size"), nullptr);
    EXPECT_EQ(*doc.window.Find("size"), "300,200");
    ASSERT_EQ(doc.window.children.size(), 2u);
    const SkinNode& root = doc.window.children[1];
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(*root.children[0].Find("text"), "<ok>");
    EXPECT_EQ(root.children[1].tag, "Label");
}

TEST(SkinXmlParserTest, RejectsMalformedDocuments)
{
    for (const char* bad : {"", "<Window>", "<Window></Label>", "<Window/><Window/>", "not xml at all",
                            "<Window a=\"1\" a=\"2\"/>"}) {
        const SkinDocument doc = ParseSkinXml(bad);
        EXPECT_FALSE(doc.ok) << bad;
        EXPECT_FALSE(doc.error.empty()) << bad;
    }
    std::string deep;
    for (int i = 0; i < kMaxSkinDepth + 5; ++i)
        deep += "<Container>";
    EXPECT_FALSE(ParseSkinXml(deep).ok);
    EXPECT_FALSE(ParseSkinFile("/nonexistent/skin.xml").ok);
}

TEST(LayoutShareTest, FixedItemsKeepTheirLengthAndTheRestIsShared)
{
    // 100 long, gap 2: fixed 20, two sharers, padding 3 before the last.
    const auto spans = ShareLength({{20, 0, 0}, {0, 0, 0}, {0, 3, 0}}, 10, 100, 2);
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(spans[0].start, 10);
    EXPECT_EQ(spans[0].length, 20);
    // rest = 100 - 20 - 3 - 4 = 73 -> 36 and 37 (the last takes the odd pixel)
    EXPECT_EQ(spans[1].start, 32);
    EXPECT_EQ(spans[1].length, 36);
    EXPECT_EQ(spans[2].start, 32 + 36 + 2 + 3);
    EXPECT_EQ(spans[2].length, 37);
    // Overfull: sharers get nothing, fixed ones keep their length.
    const auto over = ShareLength({{80, 0, 0}, {0, 0, 0}, {80, 0, 0}}, 0, 100, 0);
    EXPECT_EQ(over[1].length, 0);
    EXPECT_EQ(over[2].start, 80);
    EXPECT_EQ(over[2].length, 80);
    // Absurd values stay within int.
    const auto huge = ShareLength({{2000000000, 2000000000, 0}, {0, 0, 0}}, 2000000000, 10, 2000000000);
    EXPECT_EQ(huge[1].length, 0);
}

TEST(CDuiStringTest, FormattingComparisonAndEditing)
{
    CDuiString s;
    EXPECT_TRUE(s.IsEmpty());
    s.Format("V%s-%d", "1.2", 7);
    EXPECT_EQ(s, "V1.2-7");
    EXPECT_EQ(s.GetLength(), 6);
    const std::string longText(1000, 'x');
    s.Format("%s!", longText.c_str());
    EXPECT_EQ(s.GetLength(), 1001);
    CDuiString t("Click");
    EXPECT_EQ(t.CompareNoCase("cLICK"), 0);
    EXPECT_NE(t.Compare("click"), 0);
    t += "ed";
    t += CDuiString(" ok");
    EXPECT_EQ(t, "Clicked ok");
    EXPECT_EQ(t.Find("ed"), 5);
    EXPECT_EQ(t.Mid(8), "ok");
    EXPECT_EQ(t.Left(5), "Click");
    EXPECT_EQ(t.Right(2), "ok");
    EXPECT_EQ(t.Mid(100), "");
    EXPECT_EQ(t.GetAt(100), 0);
    EXPECT_EQ(t.Replace("c", "C"), 1);
    EXPECT_EQ(t, "CliCked ok");
    EXPECT_EQ(CDuiString("abc", 10), "abc"); // stops at the terminator
    EXPECT_EQ(CDuiString(static_cast<const char*>(nullptr)), "");
    EXPECT_EQ(CDuiString::FromQString(CDuiString("Grüße").ToQString()), "Grüße");
}
