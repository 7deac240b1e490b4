#include "HidReportDescriptor.h"

#include <algorithm>

namespace platform {
namespace {

struct Globals {
    uint32_t usagePage = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint32_t reportId = 0;
};

constexpr uint8_t kTypeMain = 0, kTypeGlobal = 1, kTypeLocal = 2;
constexpr uint8_t kMainInput = 0x8, kMainOutput = 0x9, kMainFeature = 0xB, kMainCollection = 0xA,
                  kMainEndCollection = 0xC;
constexpr uint8_t kGlobalUsagePage = 0x0, kGlobalReportSize = 0x7, kGlobalReportId = 0x8, kGlobalReportCount = 0x9;
constexpr uint8_t kGlobalPush = 0xA, kGlobalPop = 0xB;
constexpr uint8_t kLocalUsage = 0x0;
constexpr size_t kMaxStack = 32;
constexpr uint64_t kMaxBits = 1u << 20;

size_t Bytes(uint64_t bits) { return static_cast<size_t>((bits + 7) / 8); }

struct Item {
    uint8_t type = 0;
    uint8_t tag = 0;
    uint32_t value = 0;
    size_t dataSize = 0;
};

// Walks the short items in order, keeping the global state (push and pop included) current,
// and hands every main and local item to `visit` with that state. Long items are skipped.
// Stops at the first fault: an item running past the end or a pop without a push. Returns
// whether a Report ID item was read.
template <typename Visit>
bool WalkItems(const uint8_t* d, size_t size, Visit visit)
{
    bool anyId = false;
    Globals g;
    std::vector<Globals> stack;
    size_t i = 0;
    while (i < size) {
        const uint8_t prefix = d[i];
        if (prefix == 0xFE) {  // long item: size byte, tag byte, data
            if (i + 1 >= size)
                break;
            i += 3 + d[i + 1];
            continue;
        }
        Item item;
        item.dataSize = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + item.dataSize > size)
            break;
        for (size_t b = 0; b < item.dataSize; ++b)
            item.value |= static_cast<uint32_t>(d[i + 1 + b]) << (8 * b);
        item.type = (prefix >> 2) & 3;
        item.tag = prefix >> 4;
        if (item.type == kTypeGlobal) {
            if (item.tag == kGlobalUsagePage)
                g.usagePage = item.value;
            else if (item.tag == kGlobalReportSize)
                g.reportSize = item.value;
            else if (item.tag == kGlobalReportCount)
                g.reportCount = item.value;
            else if (item.tag == kGlobalReportId) {
                g.reportId = item.value;
                anyId = true;
            }
            else if (item.tag == kGlobalPush && stack.size() < kMaxStack)
                stack.push_back(g);
            else if (item.tag == kGlobalPop) {
                if (stack.empty())
                    break;
                g = stack.back();
                stack.pop_back();
            }
        } else {
            visit(item, g);
        }
        i += 1 + item.dataSize;
    }
    return anyId;
}

} // namespace

HidReportLengths ReportLengthsForId(const uint8_t* d, size_t size, uint8_t reportId)
{
    uint64_t inBits = 0, outBits = 0;
    bool inSeen = false, outSeen = false;
    const bool anyId = WalkItems(d, size, [&](const Item& item, const Globals& g) {
        if (item.type != kTypeMain || (item.tag != kMainInput && item.tag != kMainOutput) || g.reportId != reportId)
            return;
        const uint64_t bits = std::min<uint64_t>(static_cast<uint64_t>(g.reportSize) * g.reportCount, kMaxBits);
        if (item.tag == kMainInput) {
            inBits = std::min(inBits + bits, kMaxBits);
            inSeen = true;
        } else {
            outBits = std::min(outBits + bits, kMaxBits);
            outSeen = true;
        }
    });
    // Without report ids the reports carry none; with them, each report starts with its id.
    if (!anyId && reportId != 0)
        return {};
    const size_t idByte = anyId ? 1 : 0;
    HidReportLengths lengths;
    lengths.input = inSeen ? Bytes(inBits) + idByte : 0;
    lengths.output = outSeen ? Bytes(outBits) + idByte : 0;
    return lengths;
}

std::vector<HidTopLevelCollection> TopLevelCollections(const uint8_t* d, size_t size)
{
    std::vector<HidTopLevelCollection> out;
    size_t depth = 0;
    // The usage of the collection about to open: the first Usage since the last main item.
    bool usageSeen = false;
    uint32_t usagePage = 0, usage = 0;
    WalkItems(d, size, [&](const Item& item, const Globals& g) {
        if (item.type == kTypeLocal) {
            if (item.tag == kLocalUsage && !usageSeen) {
                usageSeen = true;
                // A four-byte Usage names its own page in the high half.
                usagePage = item.dataSize == 4 ? item.value >> 16 : g.usagePage;
                usage = item.value & 0xFFFF;
            }
            return;
        }
        if (item.type != kTypeMain)
            return;
        if (item.tag == kMainCollection) {
            if (depth++ == 0) {
                HidTopLevelCollection c;
                c.usagePage = static_cast<uint16_t>(usageSeen ? usagePage : g.usagePage);
                c.usage = static_cast<uint16_t>(usageSeen ? usage : 0);
                out.push_back(std::move(c));
            }
        } else if (item.tag == kMainEndCollection) {
            if (depth > 0)
                --depth;
        } else if ((item.tag == kMainInput || item.tag == kMainOutput || item.tag == kMainFeature) && depth > 0) {
            std::vector<uint8_t>& ids = out.back().reportIds;
            const uint8_t id = static_cast<uint8_t>(g.reportId);
            if (std::find(ids.begin(), ids.end(), id) == ids.end())
                ids.push_back(id);
        }
        // Local items hold until the next main item.
        usageSeen = false;
    });
    return out;
}

} // namespace platform
