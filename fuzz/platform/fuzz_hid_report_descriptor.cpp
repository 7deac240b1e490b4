// Arbitrary report descriptors, as sysfs would hand them over from any device: reading lengths
// and collections ends cleanly, never a crash, an over-long read or a hang.

#include "HidReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)platform::ReportLengthsForId(data, size, 0x0A);
    (void)platform::TopLevelCollections(data, size);
    return 0;
}
