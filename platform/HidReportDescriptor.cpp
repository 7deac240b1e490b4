#include "HidReportDescriptor.h"

#include <algorithm>
#include <vector>

namespace platform {
namespace {

struct Globals {
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint32_t reportId = 0;
};

constexpr uint8_t kTypeMain = 0, kTypeGlobal = 1;
constexpr uint8_t kMainInput = 0x8, kMainOutput = 0x9;
constexpr uint8_t kGlobalReportSize = 0x7, kGlobalReportId = 0x8, kGlobalReportCount = 0x9;
constexpr uint8_t kGlobalPush = 0xA, kGlobalPop = 0xB;
constexpr size_t kMaxStack = 32;
constexpr uint64_t kMaxBits = 1u << 20;

size_t Bytes(uint64_t bits) { return static_cast<size_t>((bits + 7) / 8); }

} // namespace

HidReportLengths ReportLengthsForId(const uint8_t* d, size_t size, uint8_t reportId)
{
    Globals g;
    std::vector<Globals> stack;
    uint64_t inBits = 0, outBits = 0;
    bool anyId = false, inSeen = false, outSeen = false;
    size_t i = 0;
    while (i < size) {
        const uint8_t prefix = d[i];
        if (prefix == 0xFE) {  // long item: size byte, tag byte, data
            if (i + 1 >= size)
                break;
            i += 3 + d[i + 1];
            continue;
        }
        const size_t dataSize = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + dataSize > size)
            break;
        uint32_t value = 0;
        for (size_t b = 0; b < dataSize; ++b)
            value |= static_cast<uint32_t>(d[i + 1 + b]) << (8 * b);
        const uint8_t type = (prefix >> 2) & 3;
        const uint8_t tag = prefix >> 4;
        if (type == kTypeGlobal) {
            if (tag == kGlobalReportSize)
                g.reportSize = value;
            else if (tag == kGlobalReportCount)
                g.reportCount = value;
            else if (tag == kGlobalReportId) {
                g.reportId = value;
                anyId = true;
            } else if (tag == kGlobalPush && stack.size() < kMaxStack)
                stack.push_back(g);
            else if (tag == kGlobalPop) {
                if (stack.empty())
                    break;
                g = stack.back();
                stack.pop_back();
            }
        } else if (type == kTypeMain && (tag == kMainInput || tag == kMainOutput) && g.reportId == reportId) {
            const uint64_t bits = std::min<uint64_t>(static_cast<uint64_t>(g.reportSize) * g.reportCount, kMaxBits);
            if (tag == kMainInput) {
                inBits = std::min(inBits + bits, kMaxBits);
                inSeen = true;
            } else {
                outBits = std::min(outBits + bits, kMaxBits);
                outSeen = true;
            }
        }
        i += 1 + dataSize;
    }
    // Without report ids the reports carry none; with them, each report starts with its id.
    if (!anyId && reportId != 0)
        return {};
    const size_t idByte = anyId ? 1 : 0;
    HidReportLengths lengths;
    lengths.input = inSeen ? Bytes(inBits) + idByte : 0;
    lengths.output = outSeen ? Bytes(outBits) + idByte : 0;
    return lengths;
}

} // namespace platform
