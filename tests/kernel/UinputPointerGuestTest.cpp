// Run inside the kernel guest as root (gtest_in_guest_test.sh): the virtual pointer on the real
// kernel, read back from its own event node, and taken for a mouse by udev.

#include "FakeCursor.h"
#include "GuestEventNode.h"
#include "RelativeCursor.h"
#include "UinputPointer.h"

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Events = std::vector<std::string>;

// "x <value>" / "y <value>" for each motion event readable within `ms`, "|" at each report's end.
Events ReadMotion(int fd, int ms = 300)
{
    Events events;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, ms) > 0 && (p.revents & POLLIN)) {
        input_event event{};
        while (::read(fd, &event, sizeof event) == static_cast<ssize_t>(sizeof event)) {
            if (event.type == EV_REL)
                events.push_back((event.code == REL_X ? "x " : event.code == REL_Y ? "y " : "? ") + std::to_string(event.value));
            else if (event.type == EV_SYN && event.code == SYN_REPORT)
                events.push_back("|");
        }
    }
    return events;
}

bool Declared(int fd, int type, int code)
{
    unsigned char bits[KEY_MAX / 8 + 1] = {};
    return ::ioctl(fd, EVIOCGBIT(type, sizeof bits), bits) >= 0 && (bits[code / 8] & (1 << (code % 8)));
}

// What udev says of the node, one "NAME=value" a line.
std::string UdevProperties(const std::string& node)
{
    std::string text;
    if (FILE* pipe = ::popen(("udevadm settle; udevadm info --query=property --name=" + node).c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        ::pclose(pipe);
    }
    return text;
}

} // namespace

TEST(UinputPointerGuest, MotionArrivesAsOneReportAndUdevTakesItForAMouse)
{
    int error = 0;
    std::shared_ptr<platform::UinputPointer> pointer = platform::UinputPointer::Create("/dev/uinput", &error);
    ASSERT_NE(pointer, nullptr) << "uinput: " << error;
    const std::string node = EventNodeNamed(platform::UinputPointer::kDeviceName);
    ASSERT_FALSE(node.empty());
    const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);

    for (int code : {REL_X, REL_Y})
        EXPECT_TRUE(Declared(fd, EV_REL, code)) << "motion " << code;
    for (int code : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE})
        EXPECT_TRUE(Declared(fd, EV_KEY, code)) << "button " << code;
    // Without ID_INPUT_MOUSE the desktop's input library ignores the device.
    EXPECT_NE(UdevProperties(node).find("ID_INPUT_MOUSE=1"), std::string::npos) << UdevProperties(node);

    pointer->Move(12, -7);
    EXPECT_EQ(ReadMotion(fd), (Events{"x 12", "y -7", "|"}));
    pointer->Move(0, 0);
    EXPECT_TRUE(ReadMotion(fd, 100).empty());

    // The cursor moved to points: the motion from where it is believed to be, which follows the
    // desktop's view when that changed.
    auto desktop = std::make_unique<FakeCursor>(platform::CursorPoint{100, 100});
    FakeCursor* view = desktop.get();
    platform::RelativeCursor cursor([pointer](int dx, int dy) { pointer->Move(dx, dy); }, std::move(desktop));
    cursor.SetPos({130, 90});
    EXPECT_EQ(ReadMotion(fd), (Events{"x 30", "y -10", "|"}));
    view->Place({500, 500});
    cursor.SetPos({510, 500});
    EXPECT_EQ(ReadMotion(fd), (Events{"x 10", "|"}));
    ::close(fd);
}
