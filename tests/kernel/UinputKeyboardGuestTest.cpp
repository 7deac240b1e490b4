// Run inside the kernel guest as root (uinput_keyboard_test.sh): the virtual keyboard on the real
// kernel, read back from its own event node as any program on the desktop would see it.

#include "GuestEventNode.h"
#include "LinuxKeyCodes.h"
#include "UinputKeyboard.h"

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "<code> down|up" for each key event readable within `ms`.
std::vector<std::string> ReadKeys(int fd, int ms = 300)
{
    std::vector<std::string> keys;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, ms) > 0 && (p.revents & POLLIN)) {
        input_event event{};
        while (::read(fd, &event, sizeof event) == static_cast<ssize_t>(sizeof event)) {
            if (event.type == EV_KEY)
                keys.push_back(std::to_string(event.code) + (event.value ? " down" : " up"));
        }
    }
    return keys;
}

bool AnyKeyHeld(int fd)
{
    unsigned char state[KEY_MAX / 8 + 1] = {};
    ::ioctl(fd, EVIOCGKEY(sizeof state), state);
    for (unsigned char byte : state) {
        if (byte)
            return true;
    }
    return false;
}

using Keys = std::vector<std::string>;

} // namespace

TEST(UinputKeyboardGuest, KeysArriveInOrderWithTheirCodesAndNoneStaysDown)
{
    int error = 0;
    auto keyboard = platform::UinputKeyboard::Create("/dev/uinput", &error);
    ASSERT_NE(keyboard, nullptr) << "uinput: " << error;
    const std::string node = EventNodeNamed(platform::UinputKeyboard::kDeviceName);
    ASSERT_FALSE(node.empty());
    const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);

    // Every key the table names is declared by the device.
    unsigned char declared[KEY_MAX / 8 + 1] = {};
    ASSERT_GE(::ioctl(fd, EVIOCGBIT(EV_KEY, sizeof declared), declared), 0);
    for (int code : platform::AllLinuxKeyCodes())
        EXPECT_TRUE(declared[code / 8] & (1 << (code % 8))) << "key " << code;

    const auto send = [&](std::initializer_list<std::pair<int, bool>> events) {
        for (const auto& [vk, up] : events)
            keyboard->SendKey(vk, up, false);
        return ReadKeys(fd);
    };
    // The slide show's Shift+F5, its Escape, the play/pause media key, a recorded Ctrl+Shift+A.
    EXPECT_EQ(send({{16, false}, {116, false}, {116, true}, {16, true}}), (Keys{"42 down", "63 down", "63 up", "42 up"}));
    EXPECT_FALSE(AnyKeyHeld(fd));
    EXPECT_EQ(send({{27, false}, {27, true}}), (Keys{"1 down", "1 up"}));
    EXPECT_EQ(send({{179, false}, {179, true}}), (Keys{"164 down", "164 up"}));
    EXPECT_EQ(send({{162, false}, {160, false}, {'A', false}, {'A', true}, {160, true}, {162, true}}),
              (Keys{"29 down", "42 down", "30 down", "30 up", "42 up", "29 up"}));
    EXPECT_FALSE(AnyKeyHeld(fd));

    // A held key is known as held (either Control), and let go again.
    send({{163, false}});
    EXPECT_TRUE(keyboard->IsKeyDown(17));
    EXPECT_TRUE(AnyKeyHeld(fd));
    EXPECT_EQ(send({{163, true}}), (Keys{"97 up"}));
    EXPECT_FALSE(keyboard->IsKeyDown(17));
    EXPECT_FALSE(AnyKeyHeld(fd));
    ::close(fd);
}
