#pragma once
// Report lengths from a raw HID report descriptor, the way the HID class driver computes a
// device's capabilities: the bits of every Input or Output item of a report id, rounded up to
// bytes, plus the report id byte.

#include <cstddef>
#include <cstdint>

namespace platform {

struct HidReportLengths {
    size_t input = 0;   // 0: the descriptor declares no input report with that id
    size_t output = 0;  // 0: no output report with that id
};

// Malformed descriptors (items running past the end, pops without pushes) yield what was read
// up to the fault.
HidReportLengths ReportLengthsForId(const uint8_t* descriptor, size_t size, uint8_t reportId);

} // namespace platform
