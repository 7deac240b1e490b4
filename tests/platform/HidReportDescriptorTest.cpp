// Report lengths and top-level collections read from report descriptors.

#include "HidReportDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

using platform::HidTopLevelCollection;
using platform::ReportLengthsForId;
using platform::TopLevelCollections;

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

// A mouse collection with a nested pointer collection (report 2) and, on the same interface,
// the vendor collection (report 0x0A).
const std::vector<uint8_t> kMouseAndVendor = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,  // generic desktop, mouse, collection (application)
    0x85, 0x02, 0x09, 0x01, 0xA1, 0x00,  //   report id 2, pointer, collection (physical)
    0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02,  // buttons
    0x95, 0x05, 0x81, 0x01,                                                  // padding
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06,  // x, y
    0xC0, 0xC0,
    0x06, 0x01, 0xFF, 0x09, 0x01, 0xA1, 0x01,  // vendor page 0xFF01, usage 1
    0x85, 0x0A, 0x75, 0x08, 0x95, 0x10, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02,
    0xC0,
};

std::vector<uint8_t> Joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<HidTopLevelCollection> Collections(const std::vector<uint8_t>& d)
{
    return TopLevelCollections(d.data(), d.size());
}

void ExpectCollection(const HidTopLevelCollection& c, uint16_t page, uint16_t usage, std::vector<uint8_t> ids)
{
    EXPECT_EQ(c.usagePage, page);
    EXPECT_EQ(c.usage, usage);
    EXPECT_EQ(c.reportIds, ids);
}

} // namespace

TEST(HidReportDescriptor, TopLevelCollectionsNameTheirUsageAndReports)
{
    auto c = Collections(kReceiver);
    ASSERT_EQ(c.size(), 1u);
    ExpectCollection(c[0], 0xFF01, 0x0000, {0x01, 0x0A, 0x0B});

    // Nested collections and their usages belong to the top-level one around them.
    c = Collections(kMouseAndVendor);
    ASSERT_EQ(c.size(), 2u);
    ExpectCollection(c[0], 0x0001, 0x0002, {0x02});
    ExpectCollection(c[1], 0xFF01, 0x0001, {0x0A});

    // Keyboard, consumer keys with a feature report, and a vendor collection named by a
    // four-byte usage while the usage page in effect is another one.
    const std::vector<uint8_t> several = {
        0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x08, 0x81, 0x00, 0xC0,
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00,
        0x85, 0x04, 0xB1, 0x02, 0xC0,
        0x0B, 0x01, 0x00, 0x01, 0xFF, 0xA1, 0x01, 0x85, 0x0A, 0x75, 0x08, 0x95, 0x10, 0x81, 0x02, 0xC0,
    };
    c = Collections(several);
    ASSERT_EQ(c.size(), 3u);
    ExpectCollection(c[0], 0x0001, 0x0006, {0x01});
    ExpectCollection(c[1], 0x000C, 0x0001, {0x03, 0x04});
    ExpectCollection(c[2], 0xFF01, 0x0001, {0x0A});

    // Reports without ids are listed as id 0.
    const std::vector<uint8_t> noIds = {0x06, 0x01, 0xFF, 0x09, 0x00, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x10, 0x81, 0x02, 0xC0};
    c = Collections(noIds);
    ASSERT_EQ(c.size(), 1u);
    ExpectCollection(c[0], 0xFF01, 0x0000, {0x00});
}

TEST(HidReportDescriptor, CollectionWithoutAUsageIsNamedByItsUsagePage)
{
    // The vendor collection opens with no Usage of its own, after a mouse collection whose
    // usage must not carry over to it.
    const std::vector<uint8_t> vendorNoUsage = {0x06, 0x01, 0xFF, 0xA1, 0x01, 0x85, 0x0A, 0x75, 0x08, 0x95, 0x10,
                                                0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};
    const auto c = Collections(Joined({0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x02, 0x75, 0x08, 0x95, 0x03,
                                       0x81, 0x06, 0x09, 0x30, 0xC0},
                                      vendorNoUsage));
    ASSERT_EQ(c.size(), 2u);
    ExpectCollection(c[0], 0x0001, 0x0002, {0x02});
    ExpectCollection(c[1], 0xFF01, 0x0000, {0x0A});
    EXPECT_EQ(ReportLengthsForId(vendorNoUsage.data(), vendorNoUsage.size(), 0x0A).output, 17u);
}

TEST(HidReportDescriptor, MalformedDescriptorsYieldTheCollectionsReadSoFar)
{
    const std::vector<uint8_t> both = Joined(kReceiver, kMouseAndVendor);
    for (size_t cut = 0; cut <= both.size(); ++cut)
        EXPECT_LE(TopLevelCollections(both.data(), cut).size(), 3u);
    // A stray End Collection is ignored; reports outside any collection belong to none; an
    // unclosed collection still counts; a pop without a push ends the walk.
    const std::vector<uint8_t> odd = {0xC0, 0x85, 0x05, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x06, 0x01, 0xFF,
                                      0xA1, 0x01, 0xA1, 0x01, 0x85, 0x0A, 0x81, 0x02, 0xC0, 0xB4, 0xC0, 0xA1, 0x01};
    const auto c = Collections(odd);
    ASSERT_EQ(c.size(), 1u);
    ExpectCollection(c[0], 0xFF01, 0x0000, {0x0A});
    EXPECT_TRUE(TopLevelCollections(nullptr, 0).empty());
}

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
