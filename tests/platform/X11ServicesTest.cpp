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
        // Xvfb picks a free display itself and writes its number to the pipe, so tests running
        // side by side never race for the same one.
        int fds[2];
        if (pipe(fds) != 0)
            return;
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        if (pid < 0) {
            close(fds[0]);
            return;
        }
        std::string number;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (number.empty()) {
            waitpid(pid, nullptr, 0);  // Xvfb missing or failed
            return;
        }
        m_pid = pid;
        setenv("DISPLAY", (":" + number).c_str(), 1);
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
