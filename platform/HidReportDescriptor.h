#pragma once
// What a raw HID report descriptor declares, read the way the HID class driver reads it:
// - report lengths: the bits of every Input or Output item of a report id, rounded up to
//   bytes, plus the report id byte;
// - the top-level collections with their usage and the reports inside them, which is what
//   tells one interface's vendor collection from its mouse or keyboard collection.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

struct HidReportLengths {
    size_t input = 0;   // 0: the descriptor declares no input report with that id
    size_t output = 0;  // 0: no output report with that id
};

struct HidTopLevelCollection {
    uint16_t usagePage = 0;
    // The first Usage before the Collection item. A collection opened without one is named by
    // its usage page alone and reported with usage 0, the value a Usage (0) would give.
    uint16_t usage = 0;
    // Report ids of the Input, Output and Feature items inside, in the order first declared;
    // 0 stands for reports that carry no id (a descriptor without Report ID items).
    std::vector<uint8_t> reportIds;
};

// Malformed descriptors (items running past the end, pops without pushes) yield what was read
// up to the fault.
HidReportLengths ReportLengthsForId(const uint8_t* descriptor, size_t size, uint8_t reportId);

// The top-level collections in descriptor order. Malformed descriptors yield the collections
// read up to the fault; an End Collection with nothing open is ignored.
std::vector<HidTopLevelCollection> TopLevelCollections(const uint8_t* descriptor, size_t size);

} // namespace platform
