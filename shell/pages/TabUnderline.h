#pragma once
// Where the blue underline of the tab bar sits for each page. The timer tab is hidden, so the
// about page (3) shares the third slot with it.

#include <optional>

constexpr int kMainPageCount = 5;

struct TabUnderlineRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const TabUnderlineRect&) const = default;
};

// The underline of page 0..4 in window client coordinates; nothing for any other index.
std::optional<TabUnderlineRect> TabUnderlineFor(int page);
