// The hidraw backend on this host, without a receiver.

#include "HidApiLinux.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

// At start the UI thread and the device watch open the receiver while the udev monitor lists
// interfaces. hidapi frees and replaces one process-wide error string in each of these calls;
// unserialised, two of them free it twice (a crash under AddressSanitizer).
TEST(HidApiLinux, ListingAndFailedOpensFromTwoThreadsAtOnce)
{
    platform::HidApiLinux api;
    constexpr int kRounds = 10000;
    std::atomic<int> opened{0};
    // A folder opens for reading, so the open gets as far as hidapi, whose own open for
    // writing fails and sets the error string.
    std::thread opener([&] {
        for (int i = 0; i < kRounds; ++i) {
            if (api.Open("/"))
                ++opened;
        }
    });
    for (int i = 0; i < kRounds; ++i)
        api.Enumerate(0);
    opener.join();
    EXPECT_EQ(opened.load(), 0);
}
