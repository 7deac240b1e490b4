#pragma once
// The arithmetic of row and column layouts: items with a fixed length get it, the others share
// what is left (the last sharer takes the odd pixels); paddings and gaps are kept free.
// Standard library only.

#include <vector>

namespace skin {

struct LayoutItem {
    int fixed = 0;    // 0 = takes a share
    int lead = 0;     // padding before the item
    int trail = 0;    // padding after the item
};

struct LayoutSpan {
    int start = 0;
    int length = 0;
};

std::vector<LayoutSpan> ShareLength(const std::vector<LayoutItem>& items, int start, int total, int gap);

} // namespace skin
