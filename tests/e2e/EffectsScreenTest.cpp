// The spotlight, the laser, the magnifier and the pen as they reach the screen: the real program
// on its own Xvfb, over a known test pattern, driven by the virtual remote, checked on
// screenshots of the root window. Each case runs once under xcompmgr (translucent cover) and
// once without a compositor (shaped cover, black outside the hole).

#include "ChildProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
// Motion of every report while the do key is held, and how many such reports the remote sends.
constexpr int kStepX = 10;
constexpr int kStepY = 5;
constexpr int kSteps = 30;
// Remote motion is scaled by 1.1 on an 800-pixel-high screen; each report is truncated on its own.
constexpr int kMovedX = kSteps * 11;
constexpr int kMovedY = kSteps * 5;

struct Rgb {
    int r, g, b;
};

struct Image {
    std::vector<uint8_t> rgb;
    bool Valid() const { return rgb.size() == size_t{kWidth} * kHeight * 3; }
    Rgb At(int x, int y) const
    {
        const size_t i = (size_t(y) * kWidth + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

// Where the magnifier's point ends up (scaled like the spotlight's) and the two small squares
// beside it that the lens must enlarge: a magenta one up-left, a black one down-right.
constexpr int kLensX = kWidth / 2 + kMovedX, kLensY = kHeight / 2 + kMovedY;
constexpr int kPatch = 10;
constexpr int kMagentaX = kLensX - 20, kMagentaY = kLensY - 20;
constexpr int kBlackX = kLensX + 10, kBlackY = kLensY + 10;

// Cells of four bright colours, none of them reddish, so a dimmed pixel and the laser's red tell
// themselves apart from the pattern; plus the magnifier's two squares.
Image MakePattern()
{
    static const Rgb colours[] = {{60, 180, 255}, {80, 230, 80}, {240, 240, 240}, {48, 208, 208}};
    const auto in = [](int x, int y, int left, int top) {
        return x >= left && x < left + kPatch && y >= top && y < top + kPatch;
    };
    Image image;
    image.rgb.reserve(size_t{kWidth} * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            Rgb c = colours[(x / 40 + (y / 40) * 3) % 4];
            if (in(x, y, kMagentaX, kMagentaY))
                c = {255, 0, 255};
            else if (in(x, y, kBlackX, kBlackY))
                c = {0, 0, 0};
            image.rgb.insert(image.rgb.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)});
        }
    }
    return image;
}

const Image& Pattern()
{
    static const Image pattern = MakePattern();
    return pattern;
}

std::string Describe(const char* what, int x, int y, Rgb seen)
{
    const Rgb want = Pattern().At(x, y);
    char text[160];
    std::snprintf(text, sizeof text, "%s at (%d,%d): seen %d,%d,%d over pattern %d,%d,%d", what, x, y, seen.r, seen.g,
                  seen.b, want.r, want.g, want.b);
    return text;
}

class EffectsScreenTest : public ::testing::TestWithParam<bool> {
protected:
    bool Composited() const { return GetParam(); }

    void SetUp() override
    {
        for (const char* tool : {"Xvfb", "display", "import"}) {
            if (Which(tool).empty())
                GTEST_SKIP() << tool << " is not installed (xvfb, imagemagick): the screen tests need it";
        }
        if (Composited() && Which("xcompmgr").empty())
            GTEST_SKIP() << "xcompmgr is not installed: no compositor to test under";

        // The X side's own chatter (xcompmgr reports every window that vanished) stays out of the test output.
        m_xlog = open(m_runtime.file("x.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        m_display = SpawnXvfb(Which("Xvfb"), std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24", Env({}),
                              &m_xvfb, m_xlog);
        ASSERT_FALSE(m_display.empty()) << "Xvfb did not start";

        if (Composited())
            m_compositor = Spawn({Which("xcompmgr")}, Env({}), m_xlog);
        // The pattern as a PPM file: the test knows every pixel without decoding a PNG.
        const std::string ppm = m_runtime.file("pattern.ppm");
        WriteWholeFile(ppm, "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n" +
                                std::string(Pattern().rgb.begin(), Pattern().rgb.end()));
        m_viewer = Spawn({Which("display"), "-borderwidth", "0", "-geometry", "+0+0", "-backdrop", ppm}, Env({}), m_xlog);
        // Under xcompmgr the pattern appears only once the compositor paints: it is running then.
        ASSERT_TRUE(Poll([&] { return Shot().rgb == Pattern().rgb ? std::string() : "the pattern is not on screen"; },
                         15s));

        const fs::path bin = ORVELLE_BIN_DIR;
        for (const char* file : {"Orvelle", "ImgRes.zip", "InitConfig.ini", "SetupVersion.txt"})
            fs::copy_file(bin / file, m_install.path() / file);
        for (const char* plugin : {"libHook.so", "libScreenSnapshot.so"}) {
            if (fs::exists(bin / plugin))
                fs::copy_file(bin / plugin, m_install.path() / plugin);
        }
        fs::create_directories(m_runtime.path() / "rt");
        fs::permissions(m_runtime.path() / "rt", fs::perms::owner_all);
    }

    void TearDown() override
    {
        for (pid_t pid : {m_program, m_remote, m_cover, m_viewer, m_wm, m_compositor, m_xvfb})
            Stop(pid);
        if (m_xlog >= 0)
            close(m_xlog);
    }

    // The test's environment without the offscreen platform and the program's own settings.
    std::vector<std::string> Env(const std::vector<std::string>& extra) const
    {
        std::vector<std::string> env;
        // An inherited variable that `extra` sets again is left out: the first entry would win.
        for (const std::string& each : InheritedEnv()) {
            const std::string name = each.substr(0, each.find('=') + 1);
            if (std::none_of(extra.begin(), extra.end(), [&](const std::string& e) { return e.rfind(name, 0) == 0; }))
                env.push_back(each);
        }
        if (!m_display.empty())
            env.push_back("DISPLAY=" + m_display);
        env.insert(env.end(), extra.begin(), extra.end());
        return env;
    }

    Image Shot() const
    {
        Image image;
        FILE* p = popen(("DISPLAY=" + m_display + " import -window root -depth 8 rgb:- 2>/dev/null").c_str(), "r");
        if (p == nullptr)
            return image;
        uint8_t buf[65536];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
            image.rgb.insert(image.rgb.end(), buf, buf + n);
        pclose(p);
        return image;
    }

    // Repeats `check` (empty when it holds) until it holds or `limit` passes; the last complaint
    // goes to the test's output.
    static bool Poll(const std::function<std::string()>& check, std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        std::string complaint;
        do {
            complaint = check();
            if (complaint.empty())
                return true;
            std::this_thread::sleep_for(50ms);
        } while (std::chrono::steady_clock::now() < end);
        ADD_FAILURE() << complaint;
        return false;
    }

    std::string LogText() const { return InstallLogText(m_install.path()); }

    // The remote comes online, presses the function key `presses` times, then holds the do key
    // still, moves it by kSteps reports and holds it still again (`stillMs`) before letting go;
    // `afterRelease` follows 4 s after the release.
    void StartWithRemote(int presses, int stillMs = 6000, const std::string& afterRelease = "")
    {
        std::string play = "report 0x03 0\nwait 500\n";
        for (int i = 0; i < presses; ++i)
            play += "report 0x03 8\nwait 50\nreport 0x03 0\nwait 300\n";
        // Waits shorter than the repeat period: no motion report is sent twice.
        play += "report 0x03 4\nwait 100\nrepeat " + std::to_string(kSteps) + " {\nreport 0x03 4 " +
                std::to_string(kStepX) + " " + std::to_string(kStepY) + "\nwait 10\n}\nreport 0x03 4\nwait " +
                std::to_string(stillMs) + "\nreport 0x03 0\nwait 4000\n" + afterRelease + "report 0x03 0\nwait 30000\n";
        StartWithScript(play);
    }

    // The remote plays `play`; the program starts hidden with it as its receiver.
    void StartWithScript(const std::string& play)
    {
        const std::string script = m_runtime.file("remote.txt");
        WriteWholeFile(script, play);
        const std::string socket = m_runtime.file("remote.sock");
        m_remote = Spawn({std::string(ORVELLE_BIN_DIR) + "/orvelle-virtual-remote", "--socket", socket, "--script",
                          script, "--rate", "50", "--duration", "60000", "--quiet", "--record",
                          m_runtime.file("frames.txt")},
                         Env({}));
        ASSERT_GT(m_remote, 0);
        std::vector<std::string> extra = m_extraEnv;
        extra.insert(extra.end(), {"ORVELLE_VIRTUAL_RECEIVER=" + socket,
                                   "XDG_RUNTIME_DIR=" + (m_runtime.path() / "rt").string(),
                                   "LSAN_OPTIONS=suppressions=" ORVELLE_LSAN_SUPP ":print_suppressions=0"});
        m_program = Spawn({(m_install.path() / "Orvelle").string(), "hideWindows"}, Env(extra));
        ASSERT_GT(m_program, 0);
    }

    // Waits for the effect's log line; then the screenshots can begin.
    void WaitShown(const std::string& logWord)
    {
        ASSERT_TRUE(Poll([&] { return LogText().find(logWord) != std::string::npos ? "" : "not shown: " + LogText(); },
                         20s));
    }

    static std::string Unchanged(const Image& shot, int x0, int y0, int x1, int y1)
    {
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const Rgb s = shot.At(x, y), p = Pattern().At(x, y);
                if (s.r != p.r || s.g != p.g || s.b != p.b)
                    return Describe("changed", x, y, s);
            }
        }
        return {};
    }

    // Black without a compositor; with one, the pattern darkened by the cover's alpha (100 of 255).
    std::string Covered(const Image& shot, int x, int y) const
    {
        const Rgb s = shot.At(x, y), p = Pattern().At(x, y);
        const int seen = s.r + s.g + s.b, under = p.r + p.g + p.b;
        const bool ok = Composited() ? seen * 10 > under * 4 && seen * 10 < under * 8 : seen == 0;
        return ok ? std::string() : Describe(Composited() ? "not dimmed" : "not black", x, y, s);
    }

    std::string Restored() const
    {
        const Image shot = Shot();
        return shot.rgb == Pattern().rgb ? std::string() : "the pattern is not back everywhere";
    }

    // Where the spotlight was first shown, from its log line.
    void ShownAt(const std::string& shownWord, int* x, int* y) const
    {
        const std::string log = LogText();
        ASSERT_EQ(std::sscanf(log.c_str() + log.find(shownWord) + shownWord.size(), "%d y:%d", x, y), 2);
    }

    // Untouched pattern across the middle of the hole centred on (x, y); cover just beyond its
    // sides, at the screen's corners and at (coveredX, coveredY).
    std::string HoleAt(int x, int y, int coveredX, int coveredY) const
    {
        const Image shot = Shot();
        if (!shot.Valid())
            return "no screenshot";
        // The default hole on this screen: half the screen's height wide, aspect ratio 0.5.
        const int halfW = kHeight / 4, halfH = kHeight / 8;
        std::string bad = Unchanged(shot, x - halfW + 25, y - 5, x + halfW - 25, y + 5);
        if (bad.empty())
            bad = Unchanged(shot, x - 5, y - halfH + 25, x + 5, y + halfH - 25);
        for (const auto& [cx, cy] : {std::pair{x - halfW - 25, y}, {x + halfW + 25, y}, {x, y - halfH - 25},
                                     {x, y + halfH + 25}, {20, 20}, {kWidth - 20, 20}, {20, kHeight - 20},
                                     {coveredX, coveredY}}) {
            if (bad.empty())
                bad = Covered(shot, cx, cy);
        }
        return bad;
    }

    // Starts the program's settings with `key` = `value` in `section`.
    void SetSetting(const std::string& section, const std::string& key, const std::string& value)
    {
        WriteWholeFile((m_install.path() / "config.ini").string(), "[" + section + "]\n" + key + " = " + value + "\n");
    }

    TempDir m_install;
    TempDir m_runtime;
    // Added to the program's environment, in place of inherited values of the same names.
    std::vector<std::string> m_extraEnv;
    std::string m_display;
    int m_xlog = -1;
    pid_t m_xvfb = -1, m_compositor = -1, m_wm = -1, m_viewer = -1, m_cover = -1, m_remote = -1, m_program = -1;
};

// The hole follows the remote: untouched pattern across its middle, cover just beyond its sides,
// at the corners and where it was first shown; the release takes the cover away, and the next
// press brings it back whole where the point was left.
TEST_P(EffectsScreenTest, SpotlightHoleFollowsTheRemoteOverTheCoveredScreen)
{
    StartWithRemote(1, 6000, "report 0x03 4\nwait 5000\n");
    const std::string shownWord = "Searchlight_UI::Show x:";
    WaitShown(shownWord);
    int shownX = 0, shownY = 0;
    ShownAt(shownWord, &shownX, &shownY);
    const int x = shownX + kMovedX, y = shownY + kMovedY;
    Poll([&] { return HoleAt(x, y, shownX, shownY); }, 8s);
    const std::string log = LogText();
    EXPECT_NE(log.find(Composited() ? "Searchlight_UI::Show compositor running: translucent cover"
                                    : "Searchlight_UI::Show no compositor: shaped cover"),
              std::string::npos)
        << log;
    Poll([&] { return Restored(); }, 15s);
    Poll([&] { return HoleAt(x, y, shownX, shownY); }, 10s);
    Poll([&] { return Restored(); }, 15s);
}

// With keep-on-stop the release leaves the spotlight up; the function key ends it.
TEST_P(EffectsScreenTest, KeptSpotlightOutlivesTheReleaseUntilTheFunctionKey)
{
    SetSetting("FunSet_Searchlight", "SaveStatu", "1");
    StartWithRemote(1, 3000, "wait 4000\nreport 0x03 8\nwait 50\n");
    const std::string shownWord = "Searchlight_UI::Show x:";
    WaitShown(shownWord);
    const auto shown = std::chrono::steady_clock::now();
    int shownX = 0, shownY = 0;
    ShownAt(shownWord, &shownX, &shownY);
    const int x = shownX + kMovedX, y = shownY + kMovedY;
    Poll([&] { return HoleAt(x, y, shownX, shownY); }, 3s);
    // Released about 3.4 s after the show; the function key comes about 8 s after the release.
    std::this_thread::sleep_until(shown + 7s);
    EXPECT_EQ(HoleAt(x, y, shownX, shownY), "");
    Poll([&] { return Restored(); }, 15s);
}

// A kept spotlight stays above a screen-filling window that comes up over it later (a slide
// show started while the spotlight is up), under a window manager: the new window shows through
// the hole, and its yellow is dimmed at the corners, not shown bare.
TEST_P(EffectsScreenTest, KeptSpotlightStaysAboveAWindowRaisedLater)
{
    for (const char* tool : {"openbox", "xmessage"}) {
        if (Which(tool).empty())
            GTEST_SKIP() << tool << " is not installed (openbox, x11-utils)";
    }
    m_wm = Spawn({Which("openbox")}, Env({}), m_xlog);
    SetSetting("FunSet_Searchlight", "SaveStatu", "1");
    StartWithRemote(1, 500);
    const std::string shownWord = "Searchlight_UI::Show x:";
    WaitShown(shownWord);
    int shownX = 0, shownY = 0;
    ShownAt(shownWord, &shownX, &shownY);
    // The window manager has framed the pattern's viewer: only the cover's own pixels are checked.
    std::this_thread::sleep_for(1500ms);

    // A plain yellow screen-sized window that stacks itself on top, as a full-screen slide show does.
    const Rgb yellow{250, 230, 40};
    m_cover = Spawn({Which("xmessage"), "-geometry", std::to_string(kWidth) + "x" + std::to_string(kHeight) + "+0+0",
                     "-buttons", "", "-xrm", "*overrideRedirect: true", "-xrm", "*borderWidth: 0", "-bg", "#FAE628",
                     "-fg", "#FAE628", " "},
                    Env({}), m_xlog);
    // First the slide must be up (its yellow at the hole's centre), then the corners dimmed over it.
    ASSERT_TRUE(Poll([&] {
        const Image shot = Shot();
        if (!shot.Valid())
            return std::string("no screenshot");
        const Rgb centre = shot.At(shownX + kMovedX, shownY + kMovedY);
        if (centre.r != yellow.r || centre.g != yellow.g || centre.b != yellow.b)
            return Describe("the slide is not up in the hole", shownX + kMovedX, shownY + kMovedY, centre);
        for (const auto& [x, y] : {std::pair{20, 20}, {kWidth - 20, kHeight - 20}}) {
            const Rgb s = shot.At(x, y);
            const int seen = s.r + s.g + s.b, under = yellow.r + yellow.g + yellow.b;
            const bool covered = Composited() ? seen * 10 > under * 4 && seen * 10 < under * 8 : seen == 0;
            if (!covered)
                return Describe("the slide is not under the cover", x, y, s);
        }
        return std::string();
    },
                     10s));
}

// Two presses select the laser: a red dot at the point the motion reached and nothing anywhere
// else, not even where it was first shown; the release takes it away.
TEST_P(EffectsScreenTest, LaserDotIsRedAtThePointAndGoneOnRelease)
{
    StartWithRemote(2);
    WaitShown("DigitalLaser_UI::Draw ");
    // Selecting a function centres its point on the screen; the motion starts from there.
    const int x = kWidth / 2 + kMovedX, y = kHeight / 2 + kMovedY;
    Poll([&] {
        const Image shot = Shot();
        if (!shot.Valid())
            return std::string("no screenshot");
        // The red pixels near the point (the dot brightens to almost white in its middle) centre on it.
        long count = 0, sumX = 0, sumY = 0;
        for (int py = y - 150; py <= y + 150; ++py) {
            for (int px = x - 150; px <= x + 150; ++px) {
                const Rgb s = shot.At(px, py);
                if (s.r > s.g + 80 && s.r > s.b + 80) {
                    ++count;
                    sumX += px;
                    sumY += py;
                }
            }
        }
        if (count < 50)
            return "only " + std::to_string(count) + " red pixels near the point";
        const double cx = double(sumX) / count, cy = double(sumY) / count;
        if (std::abs(cx - x) > 3 || std::abs(cy - y) > 3)
            return "the red dot centres on (" + std::to_string(cx) + "," + std::to_string(cy) + "), not (" +
                   std::to_string(x) + "," + std::to_string(y) + ")";
        // Everything farther than the largest dot from the point is the pattern.
        for (int py = 0; py < kHeight; ++py) {
            for (int px = 0; px < kWidth; ++px) {
                if (std::abs(px - x) <= 150 && std::abs(py - y) <= 150)
                    continue;
                const Rgb s = shot.At(px, py), p = Pattern().At(px, py);
                if (s.r != p.r || s.g != p.g || s.b != p.b)
                    return Describe("changed far from the dot", px, py, s);
            }
        }
        return std::string();
    },
         8s);
    Poll([&] { return Restored(); }, 15s);
}

// Three presses select the magnifier: around the point the squares appear twice their size, the
// black one still black; outside the lens the screen is dimmed (the frozen screen darkened when
// there is no compositor, never black); the release takes it all away.
TEST_P(EffectsScreenTest, MagnifierLensEnlargesThePatternAtThePointOverADimmedScreen)
{
    StartWithRemote(3);
    WaitShown("Zoom_Show end");
    Poll([&] {
        const Image shot = Shot();
        if (!shot.Valid())
            return std::string("no screenshot");
        // Twice the distance from the point, twice the size.
        const int mx = kLensX + 2 * (kMagentaX - kLensX), my = kLensY + 2 * (kMagentaY - kLensY);
        for (const auto& [x, y] : {std::pair{mx + 1, my + 1}, {mx + 18, my + 18}, {mx + 1, my + 18}}) {
            const Rgb s = shot.At(x, y);
            if (s.r != 255 || s.g != 0 || s.b != 255)
                return Describe("not magenta in the lens", x, y, s);
        }
        if (const Rgb s = shot.At(mx + 22, my + 22); s.r == 255 && s.g == 0 && s.b == 255)
            return Describe("magenta beyond the enlarged square", mx + 22, my + 22, s);
        const int bx = kLensX + 2 * (kBlackX - kLensX), by = kLensY + 2 * (kBlackY - kLensY);
        for (const auto& [x, y] : {std::pair{bx + 1, by + 1}, {bx + 18, by + 18}}) {
            const Rgb s = shot.At(x, y);
            if (s.r != 0 || s.g != 0 || s.b != 0)
                return Describe("black content not black in the lens", x, y, s);
        }
        for (const auto& [x, y] : {std::pair{20, 20}, {kWidth - 20, kHeight - 20}, {kLensX, kLensY - 150}}) {
            const Rgb s = shot.At(x, y), p = Pattern().At(x, y);
            const int seen = s.r + s.g + s.b, under = p.r + p.g + p.b;
            if (!(seen * 10 > under * 4 && seen * 10 < under * 8))
                return Describe("not dimmed outside the lens", x, y, s);
        }
        return std::string();
    },
         8s);
    Poll([&] { return Restored(); }, 15s);
}

// Four presses select the pen, which comes on at once; the held do key draws a red stroke along
// the motion on the frozen picture. Leaving the pen takes the picture and the stroke away.
TEST_P(EffectsScreenTest, PenStrokeFollowsTheMotionAndGoesWithThePen)
{
    StartWithRemote(4, 6000, "report 0x03 8\nwait 50\nreport 0x03 0\n");
    // The pen's motion is not scaled; its first report only sets where the stroke starts.
    const int x0 = kWidth / 2 + kStepX, y0 = kHeight / 2 + kStepY;
    const int x1 = kWidth / 2 + kSteps * kStepX, y1 = kHeight / 2 + kSteps * kStepY;
    Poll([&] {
        const Image shot = Shot();
        if (!shot.Valid())
            return std::string("no screenshot");
        for (int i = 1; i <= 8; ++i) {
            const int x = x0 + (x1 - x0) * i / 10, y = y0 + (y1 - y0) * i / 10;
            bool red = false;
            for (int dy = -3; dy <= 3 && !red; ++dy) {
                const Rgb s = shot.At(x, y + dy);
                red = s.r > 200 && s.g < 60 && s.b < 60;
            }
            if (!red)
                return Describe("no stroke", x, y, shot.At(x, y));
        }
        // Away from the stroke the frozen picture is the pattern.
        return Unchanged(shot, 20, 20, 300, 200);
    },
         8s);
    Poll([&] { return Restored(); }, 20s);
}

// The pen chosen right after the spotlight was let go freezes the screen only once the cover has
// left it, under a compositor that fades windows out (half a second): the frozen picture is the
// pattern, with no dimmed pixel, away from the pencil at the screen's centre.
TEST_P(EffectsScreenTest, PenFreezesTheScreenOnlyOnceTheSpotlightHasFadedOut)
{
    if (!Composited())
        GTEST_SKIP() << "without a compositor nothing fades";
    Stop(m_compositor);
    m_compositor = Spawn({Which("xcompmgr"), "-f", "-D", "10", "-O", "0.02", "-I", "0.02"}, Env({}), m_xlog);
    WriteWholeFile((m_install.path() / "config.ini").string(),
                   "[FunSelect]\nNewVersion = 1\nSelValue = 125346\nIsUsed = 111110\nMouse_SelValue = 125346\n"
                   "Mouse_IsUsed = 111110\n");
    StartWithScript("report 0x03 0\nwait 500\nreport 0x03 8\nwait 50\nreport 0x03 0\nwait 300\n"
                    "report 0x03 4\nwait 2000\nreport 0x03 0\nwait 20\nreport 0x03 8\nwait 50\nreport 0x03 0\n"
                    "wait 30000\n");
    WaitShown("CPresenterPostil::Show");
    Poll([&] {
        const Image shot = Shot();
        if (!shot.Valid())
            return std::string("no screenshot");
        const int top = kHeight / 2 - 60, bottom = kHeight / 2 + 60, left = kWidth / 2 - 60, right = kWidth / 2 + 60;
        std::string bad = Unchanged(shot, 0, 0, kWidth - 1, top);
        if (bad.empty())
            bad = Unchanged(shot, 0, bottom, kWidth - 1, kHeight - 1);
        if (bad.empty())
            bad = Unchanged(shot, 0, top, left, bottom);
        return bad.empty() ? Unchanged(shot, right, top, kWidth - 1, bottom) : bad;
    },
         5s);
}

// Page down held for more than a second with the blank screen as the custom action: the curtain
// of colour 3 rolls down over the whole screen, once for the whole hold; a key typed on the
// keyboard (through the keyboard hook) rolls it up again.
TEST_P(EffectsScreenTest, BlankScreenCoversTheScreenOncePerHoldAndAKeyRollsItUp)
{
    WriteWholeFile((m_install.path() / "config.ini").string(),
                   "[CustomKey]\nkey=1\nSelectType=1\nSelectIndex=3\n");
    StartWithScript("report 0x03 0\nwait 500\nreport 0x03 2\nwait 2500\nreport 0x03 0\nwait 30000\n");
    WaitShown("CBlankScreenUI::ShowBlankScreen botton:800 right:1280");
    Poll([&] {
        const Image shot = Shot();
        if (!shot.Valid())
            return std::string("no screenshot");
        for (int y = 0; y < kHeight; y += 7) {
            for (int x = 0; x < kWidth; x += 11) {
                const Rgb s = shot.At(x, y);
                if (s.r != 0xDF || s.g != 0x21 || s.b != 0x16)
                    return Describe("not the curtain's colour", x, y, s);
            }
        }
        return std::string();
    },
         10s);
    // The hold is over before the key: one show for it, however many events it had.
    WaitShown("CPresenterService::DealDoKeyOpen begin");
    ASSERT_FALSE(Which("xdotool").empty()) << "xdotool is not installed";
    ASSERT_EQ(std::system(("DISPLAY=" + m_display + " xdotool key a").c_str()), 0);
    WaitShown("HideBlankScreen() Hide BlankScreen");
    Poll([&] { return Restored(); }, 15s);
    const std::string log = LogText();
    size_t shows = 0;
    for (size_t at = log.find("ShowBlankScreen() Show BlankScreen"); at != std::string::npos;
         at = log.find("ShowBlankScreen() Show BlankScreen", at + 1))
        ++shows;
    EXPECT_EQ(shows, 1u) << log;
}

// With the screenshot in the function list, five presses select it and the do key starts the
// capture: a region dragged with the mouse and Enter give a PNG of exactly those screen pixels in
// the pictures folder and the same picture on the clipboard; a second capture ended with Escape
// writes nothing.
TEST_P(EffectsScreenTest, ScreenshotOfADraggedRegionGoesToPicturesAndClipboard)
{
    for (const char* tool : {"xdotool", "xclip", "convert"}) {
        if (Which(tool).empty())
            GTEST_SKIP() << tool << " is not installed: the screenshot test needs it";
    }
    if (!fs::exists(m_install.path() / "libScreenSnapshot.so"))
        GTEST_SKIP() << "the snapshot plug-in was not built";
    // A settings file of this version, so that the first-run defaults keep the list as it is.
    WriteWholeFile((m_install.path() / "config.ini").string(),
                   "[FunSelect]\nNewVersion = 1\nSelValue = 123456\nIsUsed = 111111\nMouse_SelValue = 123456\n"
                   "Mouse_IsUsed = 111111\n");
    const fs::path pictures = m_runtime.path() / "pictures";
    fs::create_directories(m_runtime.path() / "cfg");
    WriteWholeFile(m_runtime.file("cfg/user-dirs.dirs"), "XDG_PICTURES_DIR=\"" + pictures.string() + "\"\n");

    std::string play = "report 0x03 0\nwait 500\n";
    for (int i = 0; i < 5; ++i)
        play += "report 0x03 8\nwait 50\nreport 0x03 0\nwait 300\n";
    play += "report 0x03 4\nwait 100\nreport 0x03 0\nwait 12000\nreport 0x03 4\nwait 100\nreport 0x03 0\nwait 30000\n";
    m_extraEnv = {"XDG_CONFIG_HOME=" + (m_runtime.path() / "cfg").string()};
    StartWithScript(play);

    const auto count = [&](const std::string& word) {
        const std::string log = LogText();
        int n = 0;
        for (size_t at = log.find(word); at != std::string::npos; at = log.find(word, at + 1))
            ++n;
        return n;
    };
    const auto xdotool = [&](const std::string& args) {
        return std::system(("DISPLAY=" + m_display + " xdotool " + args + " >/dev/null 2>&1").c_str());
    };
    // The frozen picture comes up on the UI thread as a full-screen window that takes the focus.
    // It must be the program's window: the pattern viewer's backdrop is screen-sized too, and
    // keys and drags sent while it has the focus would never reach the capture.
    const auto captureUp = [&] {
        FILE* p = popen(("DISPLAY=" + m_display + " xdotool getwindowfocus getwindowpid getwindowgeometry 2>/dev/null").c_str(), "r");
        std::string text;
        char buf[256];
        for (size_t n; p != nullptr && (n = fread(buf, 1, sizeof buf, p)) > 0;)
            text.append(buf, n);
        if (p != nullptr)
            pclose(p);
        const bool ours = text.rfind(std::to_string(m_program) + "\n", 0) == 0;
        return ours && text.find(std::to_string(kWidth) + "x" + std::to_string(kHeight)) != std::string::npos
                   ? std::string()
                   : "the capture window has not the focus: " + text;
    };
    ASSERT_TRUE(Poll([&] { return count("KVO_SCREEN_SHOT_INI") == 1 ? "" : "no capture started: " + LogText(); },
                     20s));
    ASSERT_TRUE(Poll(captureUp, 10s));
    ASSERT_EQ(xdotool("mousemove 100 100 mousedown 1 mousemove 300 250 mousemove 500 400 mouseup 1"), 0);
    ASSERT_EQ(xdotool("key Return"), 0);

    fs::path saved;
    ASSERT_TRUE(Poll([&] {
        if (fs::exists(pictures / "Screenshots")) {
            for (const auto& entry : fs::directory_iterator(pictures / "Screenshots"))
                saved = entry.path();
        }
        return saved.empty() || count("OnCreateScreenShotThread End") < 1 ? "nothing saved: " + LogText() : "";
    },
                     10s));
    EXPECT_EQ(saved.extension(), ".png");
    // The file's pixels are the screen's under the dragged rectangle.
    std::vector<uint8_t> rgb;
    if (FILE* p = popen(("convert '" + saved.string() + "' -depth 8 rgb:- 2>/dev/null").c_str(), "r")) {
        uint8_t buf[65536];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
            rgb.insert(rgb.end(), buf, buf + n);
        pclose(p);
    }
    ASSERT_EQ(rgb.size(), size_t{400} * 300 * 3) << "the saved picture is not 400 x 300";
    for (int y = 0; y < 300; y += 7) {
        for (int x = 0; x < 400; x += 7) {
            const size_t i = (size_t(y) * 400 + x) * 3;
            const Rgb want = Pattern().At(100 + x, 100 + y);
            ASSERT_TRUE(rgb[i] == want.r && rgb[i + 1] == want.g && rgb[i + 2] == want.b)
                << "pixel " << x << "," << y << " of the screenshot is not the screen's";
        }
    }
    FILE* clip = popen(("DISPLAY=" + m_display + " xclip -selection clipboard -t image/png -o 2>/dev/null | " +
                        "identify -format %wx%h - 2>/dev/null").c_str(), "r");
    ASSERT_NE(clip, nullptr);
    char size[64] = {};
    const size_t got = fread(size, 1, sizeof size - 1, clip);
    pclose(clip);
    EXPECT_EQ(std::string(size, got), "400x300") << "the clipboard does not hold the picture";
    // Saving was reported begun and ended before Snapshot returned.
    const std::string log = LogText();
    const size_t begin = log.find("KVO_SCREEN_SHOT_SAVE_BEGIN"), end = log.find("KVO_SCREEN_SHOT_SAVE_END");
    const size_t complete = log.find("KVO_SCREEN_SHOT_COMPLETE");
    ASSERT_NE(begin, std::string::npos);
    EXPECT_TRUE(begin < end && end != std::string::npos && end < complete && complete != std::string::npos) << log;

    // The second press opens a new capture; Escape ends it without a file.
    ASSERT_TRUE(Poll([&] { return count("KVO_SCREEN_SHOT_INI") == 2 ? "" : "no second capture: " + LogText(); },
                     20s));
    ASSERT_TRUE(Poll(captureUp, 10s));
    ASSERT_EQ(xdotool("key Escape"), 0);
    ASSERT_TRUE(Poll([&] { return count("OnCreateScreenShotThread End") == 2 ? "" : "the capture stayed open"; },
                     10s));
    EXPECT_EQ(std::distance(fs::directory_iterator(pictures / "Screenshots"), fs::directory_iterator()), 1);
    EXPECT_EQ(count("KVO_SCREEN_SHOT_SAVE_BEGIN"), 1);
}

INSTANTIATE_TEST_SUITE_P(Compositor, EffectsScreenTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Xcompmgr" : "NoCompositor"; });

} // namespace
