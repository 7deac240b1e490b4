// Counting physical receivers from interfaces, arrivals and removals.

#include "HidFixture.h"

using HidTracker = HidFixture;

namespace {

platform::HidInterfaceInfo OtherVendor(const std::string& path)
{
    platform::HidInterfaceInfo info = ReceiverInterface(0x0178, path);
    info.vendorId = 0x046D;
    info.productId = 0xC52B;
    return info;
}

} // namespace

TEST_F(HidTracker, InterfacesOfOneUsbDeviceCountAsOneReceiver)
{
    FakeTooltip tooltip;
    SetKVOMultiDeviceTooltip(&tooltip);
    fake.AddInterface(OtherVendor("/dev/hidraw0"), "usb-other");
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw1", 0x0001, 0x0002), "usb1");
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw1"), "usb1");  // same path, second usage
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw2"), "usb1");
    fake.AddInterface(ReceiverInterface(0x0999, "/dev/hidraw3"), "usb3");
    auto* monitor = new FakeHidMonitor();
    KVOPhysicalDeviceTracker tracker(fake, std::unique_ptr<platform::IHidMonitor>(monitor), nullptr);
    tracker.Start();

    EXPECT_TRUE(monitor->Started());
    EXPECT_EQ(tracker.PhysicalDeviceCount(), 1);
    EXPECT_EQ(tooltip.Count(), 0u);
    EXPECT_TRUE(LogHas("[ERROR]", "Found HID device: VID=0x046D, PID=0xC52B"));
    EXPECT_TRUE(LogHas("[ERROR]", "Vendor ID mismatch: expected 0x25A7, got 0x046D"));
    EXPECT_TRUE(LogHas("[ERROR]", "Product ID not in target list: 0x0999"));
    EXPECT_TRUE(LogHas("[ERROR]", "Target device found: PID=0x0178"));
    EXPECT_TRUE(LogHas("[ERROR]", "Device found: usb1, Desc: Receiver, Friendly: Maker Receiver"));
    EXPECT_TRUE(LogHas("[ERROR]", "Enumeration completed. Found 1 unique physical devices"));
    // One line per interface, not per usage pair.
    EXPECT_EQ(LogCount("Found HID device: VID=0x25A7, PID=0x0178"), 2u);

    // Losing one of its two interfaces leaves the receiver counted.
    fake.RemoveInterface("/dev/hidraw2");
    monitor->Fire(platform::HidEvent::Removal, "/dev/hidraw2");
    EXPECT_EQ(tracker.PhysicalDeviceCount(), 1);
    tracker.StopMonitor();
}

TEST_F(HidTracker, SecondReceiverWarnsOnceAndUnpluggingDoesNotWarnAgain)
{
    FakeTooltip tooltip;
    SetKVOMultiDeviceTooltip(&tooltip);
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1");
    auto* monitor = new FakeHidMonitor();
    KVOPhysicalDeviceTracker tracker(fake, std::unique_ptr<platform::IHidMonitor>(monitor), nullptr);
    tracker.Start();
    ASSERT_EQ(tracker.PhysicalDeviceCount(), 1);

    // A second receiver with two interfaces arrives; the second interface adds nothing.
    fake.AddInterface(ReceiverInterface(0x0180, "/dev/hidraw4"), "usb2");
    fake.AddInterface(ReceiverInterface(0x0180, "/dev/hidraw5"), "usb2");
    monitor->Fire(platform::HidEvent::Arrival, "/dev/hidraw4");
    monitor->Fire(platform::HidEvent::Arrival, "/dev/hidraw5");
    monitor->Fire(platform::HidEvent::Arrival, "/dev/hidraw5");  // repeated notification
    EXPECT_EQ(tracker.PhysicalDeviceCount(), 2);
    EXPECT_TRUE(LogHas("[ERROR]", "Physical device added via callback: usb2, Total: 2"));
    EXPECT_EQ(LogCount("Physical device added via callback"), 1u);
    ASSERT_EQ(tooltip.Count(), 1u);
    EXPECT_EQ(tooltip.shown[0], "tooltip/multiDevice_tooltip/1000");

    // Arrivals of other devices change nothing.
    fake.AddInterface(OtherVendor("/dev/hidraw6"), "usb6");
    monitor->Fire(platform::HidEvent::Arrival, "/dev/hidraw6");
    monitor->Fire(platform::HidEvent::Arrival, "/dev/hidraw9");  // gone before it was looked at
    EXPECT_EQ(tracker.PhysicalDeviceCount(), 2);

    // Unplugging: the system no longer knows the owner, the path map does.
    fake.RemoveInterface("/dev/hidraw4");
    fake.RemoveInterface("/dev/hidraw5");
    monitor->Fire(platform::HidEvent::Removal, "/dev/hidraw4");
    EXPECT_EQ(tracker.PhysicalDeviceCount(), 2);
    monitor->Fire(platform::HidEvent::Removal, "/dev/hidraw5");
    EXPECT_EQ(tracker.PhysicalDeviceCount(), 1);
    EXPECT_TRUE(LogHas("[ERROR]", "Physical device removed via callback: usb2, Total: 1"));
    monitor->Fire(platform::HidEvent::Removal, "/dev/hidraw5");
    monitor->Fire(platform::HidEvent::Removal, "/dev/hidraw6");
    EXPECT_EQ(tracker.PhysicalDeviceCount(), 1);
    EXPECT_EQ(tooltip.Count(), 1u);

    // Plugged in again: counted again and warned again.
    fake.AddInterface(ReceiverInterface(0x0180, "/dev/hidraw4"), "usb2");
    monitor->Fire(platform::HidEvent::Arrival, "/dev/hidraw4");
    EXPECT_EQ(tracker.PhysicalDeviceCount(), 2);
    EXPECT_EQ(tooltip.Count(), 2u);
}

TEST_F(HidTracker, TwoReceiversAtStartWarnAndAMissingMonitorIsLogged)
{
    FakeTooltip tooltip;
    SetKVOMultiDeviceTooltip(&tooltip);
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1");
    fake.AddInterface(ReceiverInterface(0x0186, "/dev/hidraw1"), "usb2");
    // An interface whose owner cannot be found counts as a device of its own.
    fake.AddInterface(ReceiverInterface(0x0181, "/dev/hidraw2"), "");
    KVOPhysicalDeviceTracker tracker(fake, std::make_unique<FakeHidMonitor>(false), nullptr);
    tracker.Start();
    EXPECT_EQ(tracker.PhysicalDeviceCount(), 3);
    EXPECT_EQ(tooltip.Count(), 1u);
    EXPECT_TRUE(LogHas("[ERROR]", "udev monitor unavailable"));
    EXPECT_TRUE(LogHas("[ERROR]", "Enumeration completed. Found 3 unique physical devices"));
}

TEST_F(HidTracker, WarningGivenBeforeTheTooltipExistsIsShownWhenItComes)
{
    // The link counts the receivers inside its start; the program builds the tooltip after it.
    SetKVOMultiDeviceTooltip(nullptr);
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1");
    fake.AddInterface(ReceiverInterface(0x0180, "/dev/hidraw1"), "usb2");
    {
        auto* monitor = new FakeHidMonitor();
        KVOPhysicalDeviceTracker tracker(fake, std::unique_ptr<platform::IHidMonitor>(monitor), nullptr);
        tracker.Start();
        FakeTooltip tooltip;
        SetKVOMultiDeviceTooltip(&tooltip);
        ASSERT_EQ(tooltip.Count(), 1u);
        EXPECT_EQ(tooltip.shown[0], "tooltip/multiDevice_tooltip/1000");
        SetKVOMultiDeviceTooltip(nullptr);
        SetKVOMultiDeviceTooltip(&tooltip);
        EXPECT_EQ(tooltip.Count(), 1u) << "told once";
        SetKVOMultiDeviceTooltip(nullptr);

        // One of the two leaves before a tooltip is there: nothing is left to warn about.
        fake.AddInterface(ReceiverInterface(0x0181, "/dev/hidraw2"), "usb3");
        monitor->Fire(platform::HidEvent::Arrival, "/dev/hidraw2");
        fake.RemoveInterface("/dev/hidraw2");
        fake.RemoveInterface("/dev/hidraw1");
        monitor->Fire(platform::HidEvent::Removal, "/dev/hidraw2");
        monitor->Fire(platform::HidEvent::Removal, "/dev/hidraw1");
        ASSERT_EQ(tracker.PhysicalDeviceCount(), 1);
        FakeTooltip later;
        SetKVOMultiDeviceTooltip(&later);
        EXPECT_EQ(later.Count(), 0u);
        SetKVOMultiDeviceTooltip(nullptr);
        tracker.StopMonitor();
    }

    // A link that stopped before the tooltip came leaves no warning behind.
    fake.AddInterface(ReceiverInterface(0x0180, "/dev/hidraw1"), "usb2");
    {
        KVOPhysicalDeviceTracker tracker(fake, nullptr, nullptr);
        tracker.Start();
        ASSERT_EQ(tracker.PhysicalDeviceCount(), 2);
    }
    FakeTooltip afterExit;
    SetKVOMultiDeviceTooltip(&afterExit);
    EXPECT_EQ(afterExit.Count(), 0u);
}
