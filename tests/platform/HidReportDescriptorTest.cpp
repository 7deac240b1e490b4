// Report lengths computed from report descriptors.

#include "HidReportDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

using platform::ReportLengthsForId;

namespace {

// A vendor collection with report 0x0A (16 bytes each way) and report 0x0B (63 bytes in),
// behind a keyboard-style report 1 that uses push/pop.
const std::vector<uint8_t> kReceiver = {
    0x06, 0x01, 0xFF,  // usage page 0xFF01
    0x09, 0x00,        // usage 0
    0xA1, 0x01,        // collection (application)
    0x85, 0x01,        //   report id 1
    0xA4,              //   push
    0x75, 0x08, 0x95, 0x08, 0x81, 0x00,  // 8 x 8 bits in
    0xB4,              //   pop (size and count back to none)
    0x85, 0x0A,        //   report id 0x0A
    0x75, 0x08,        //   report size 8
    0x95, 0x10,        //   report count 16
    0x09, 0x01, 0x81, 0x02,  // input
    0x09, 0x01, 0x91, 0x02,  // output
    0x85, 0x0B, 0x95, 0x3F, 0x81, 0x02,  // report 0x0B: 63 bytes in
    0x75, 0x01, 0x95, 0x03, 0x91, 0x02,  // report 0x0B: 3 bits out
    0xC0,
};

} // namespace

TEST(HidReportDescriptor, LengthsPerReportIdIncludeTheIdByte)
{
    auto l = ReportLengthsForId(kReceiver.data(), kReceiver.size(), 0x0A);
    EXPECT_EQ(l.input, 17u);
    EXPECT_EQ(l.output, 17u);
    l = ReportLengthsForId(kReceiver.data(), kReceiver.size(), 0x0B);
    EXPECT_EQ(l.input, 64u);
    EXPECT_EQ(l.output, 2u);  // 3 bits round up to a byte
    l = ReportLengthsForId(kReceiver.data(), kReceiver.size(), 0x01);
    EXPECT_EQ(l.input, 9u);
    EXPECT_EQ(l.output, 0u);
    l = ReportLengthsForId(kReceiver.data(), kReceiver.size(), 0x0C);
    EXPECT_EQ(l.input, 0u);
}

TEST(HidReportDescriptor, TruncatedAndMalformedDescriptorsStopCleanly)
{
    // Cut inside the output item's data: only what was complete counts.
    for (size_t cut = 0; cut <= kReceiver.size(); ++cut) {
        const auto l = ReportLengthsForId(kReceiver.data(), cut, 0x0A);
        EXPECT_LE(l.input, 17u);
        EXPECT_LE(l.output, 17u);
    }
    // A pop without a push ends the walk; a huge size times count is capped, not overflowed.
    const std::vector<uint8_t> bad = {0x85, 0x0A, 0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF,
                                      0x81, 0x02, 0xB4, 0x91, 0x02};
    const auto l = ReportLengthsForId(bad.data(), bad.size(), 0x0A);
    EXPECT_EQ(l.input, (1u << 20) / 8 + 1);
    EXPECT_EQ(l.output, 0u);
    // Long items are skipped whole.
    const std::vector<uint8_t> longItem = {0xFE, 0x02, 0x10, 0x81, 0x02, 0x85, 0x0A, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02};
    EXPECT_EQ(ReportLengthsForId(longItem.data(), longItem.size(), 0x0A).input, 3u);
}
