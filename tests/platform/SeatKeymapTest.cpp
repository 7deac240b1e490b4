// The seat's keymap decides what a key code types: the same position is another key under
// another layout, and a virtual keyboard's own map puts Enter wherever it likes.

#include "SeatKeymap.h"

#include <Qt>
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <string>

namespace {

// The text of a keymap built from rule names, as a compositor would send it.
std::string KeymapText(const char* layout)
{
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names names{"evdev", "pc105", layout, "", ""};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    std::string text;
    if (keymap != nullptr) {
        char* made = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
        text = made;
        free(made);
        xkb_keymap_unref(keymap);
    }
    xkb_context_unref(context);
    return text;
}

TEST(SeatKeymap, TheKeymapNotThePositionSaysWhichKey)
{
    platform::SeatKeymap keys;
    // No keymap yet: a US keyboard's positions.
    EXPECT_EQ(keys.QtKeyFor(28), Qt::Key_Return);
    EXPECT_EQ(keys.QtKeyFor(1), Qt::Key_Escape);

    const std::string french = KeymapText("fr");
    ASSERT_FALSE(french.empty()) << "no xkb data to build a keymap from";
    ASSERT_TRUE(keys.Load(french.c_str()));
    EXPECT_EQ(keys.QtKeyFor(16), Qt::Key_A); // the US keyboard's Q
    EXPECT_EQ(keys.QtKeyFor(28), Qt::Key_Return);
    EXPECT_EQ(keys.QtKeyFor(1), Qt::Key_Escape);

    // A map that puts Return on code 1 (key code 9), as a virtual keyboard's may.
    std::string moved = KeymapText("us");
    ASSERT_TRUE(keys.Load(moved.c_str()));
    const auto at = moved.find("key <ESC>");
    ASSERT_NE(at, std::string::npos);
    const auto end = moved.find(';', moved.find(']', at));
    moved.replace(at, end - at, "key <ESC> { [ Return ] }");
    ASSERT_TRUE(keys.Load(moved.c_str()));
    EXPECT_EQ(keys.QtKeyFor(1), Qt::Key_Return);

    // A map that does not compile leaves the one before.
    EXPECT_FALSE(keys.Load("xkb_keymap { nonsense"));
    EXPECT_EQ(keys.QtKeyFor(1), Qt::Key_Return);
}

} // namespace
