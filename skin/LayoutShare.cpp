#include "LayoutShare.h"

#include <algorithm>

namespace skin {

std::vector<LayoutSpan> ShareLength(const std::vector<LayoutItem>& items, int start, int total, int gap)
{
    std::vector<LayoutSpan> spans;
    spans.reserve(items.size());
    // 64-bit sums: skin values are untrusted and may be huge.
    long long used = 0;
    int sharers = 0;
    for (const LayoutItem& item : items) {
        used += static_cast<long long>(item.fixed) + item.lead + item.trail;
        if (item.fixed <= 0)
            ++sharers;
    }
    if (!items.empty())
        used += static_cast<long long>(gap) * static_cast<long long>(items.size() - 1);
    const long long rest = std::max(0LL, static_cast<long long>(total) - used);
    const long long each = sharers > 0 ? rest / sharers : 0;
    const long long odd = sharers > 0 ? rest - each * sharers : 0;
    const auto clampInt = [](long long v) { return static_cast<int>(std::clamp(v, -1000000000LL, 1000000000LL)); };
    int seen = 0;
    long long pos = start;
    for (const LayoutItem& item : items) {
        pos += item.lead;
        long long length = item.fixed;
        if (item.fixed <= 0) {
            length = each;
            if (++seen == sharers)
                length += odd;
        }
        spans.push_back(LayoutSpan{clampInt(pos), clampInt(length)});
        pos += length + item.trail + gap;
    }
    return spans;
}

} // namespace skin
