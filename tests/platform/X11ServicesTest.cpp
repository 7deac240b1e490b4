// Cursor position, XFixes hiding and the EWMH focus request against a private Xvfb server.

// gtest first: Xlib's macros (None, Bool) would rewrite its names.
#include <gtest/gtest.h>

#include "EwmhForegroundWindow.h"
#include "X11Cursor.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Starts Xvfb on a free display number and points DISPLAY at it for the test's lifetime.
class XvfbServer {
public:
    XvfbServer()
    {
        for (int number = 140; number < 180 && m_pid <= 0; ++number) {
            if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
                std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock"))
                continue;
            const std::string display = ":" + std::to_string(number);
            const pid_t pid = fork();
            if (pid == 0) {
                execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                       static_cast<char*>(nullptr));
                _exit(127);
            }
            for (int i = 0; i < 100 && pid > 0; ++i) {
                if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) {
                    m_pid = pid;
                    setenv("DISPLAY", display.c_str(), 1);
                    break;
                }
                int status = 0;
                if (waitpid(pid, &status, WNOHANG) == pid)
                    break;  // could not start on this number
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
    }
    ~XvfbServer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool Running() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
};

class X11ServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!server.Running())
            GTEST_SKIP() << "Xvfb is not available (apt-get install xvfb)";
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
    }
    void TearDown() override
    {
        if (display != nullptr)
            XCloseDisplay(display);
    }
    XvfbServer server;
    Display* display = nullptr;
};

TEST_F(X11ServicesTest, CursorMovesAndHidesLikeACounter)
{
    platform::X11Cursor cursor;
    cursor.SetPos({321, 123});
    EXPECT_EQ(cursor.GetPos(), (platform::CursorPoint{321, 123}));
    // Off-screen positions are clamped by the server, never wrapped.
    cursor.SetPos({5000, -20});
    EXPECT_EQ(cursor.GetPos(), (platform::CursorPoint{1279, 0}));

    cursor.Hide();
    cursor.Hide();
    cursor.Show();
    EXPECT_EQ(cursor.HideCount(), 1);
    cursor.Show();
    cursor.Show();  // an extra show must not make the next hide a no-op
    EXPECT_EQ(cursor.HideCount(), 0);
    cursor.Hide();
    EXPECT_EQ(cursor.HideCount(), 1);
}

TEST_F(X11ServicesTest, FocusRequestGoesToTheWindowManagerForTheActiveWindow)
{
    platform::EwmhForegroundWindow foreground;
    EXPECT_FALSE(foreground.GiveFocusBack());  // no active window yet

    const Window root = DefaultRootWindow(display);
    const Window window = XCreateSimpleWindow(display, root, 0, 0, 100, 100, 0, 0, 0);
    const Atom active = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    XChangeProperty(display, root, active, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&window), 1);
    // Act as the window manager: receive what is sent to the root.
    XSelectInput(display, root, SubstructureRedirectMask);
    XSync(display, False);

    EXPECT_EQ(foreground.ActiveWindow(), window);
    EXPECT_TRUE(foreground.GiveFocusBack());
    XEvent event{};
    bool received = false;
    for (int i = 0; i < 100 && !received; ++i) {
        while (XPending(display) > 0 && !received) {
            XNextEvent(display, &event);
            received = event.type == ClientMessage && event.xclient.message_type == active;
        }
        if (!received)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(received);
    EXPECT_EQ(event.xclient.window, window);
    EXPECT_EQ(event.xclient.data.l[0], 2);
}

} // namespace
