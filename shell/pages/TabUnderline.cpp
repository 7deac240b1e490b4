#include "TabUnderline.h"

#include <array>
#include <cstddef>

std::optional<TabUnderlineRect> TabUnderlineFor(int page)
{
    static constexpr std::array<TabUnderlineRect, kMainPageCount> kSlots = {{
        {1, 117, 170, 120},
        {170, 117, 339, 120},
        {339, 117, 508, 120},
        {339, 117, 508, 120},
        {508, 117, 677, 120},
    }};
    if (page < 0 || page >= kMainPageCount)
        return std::nullopt;
    return kSlots[static_cast<std::size_t>(page)];
}
