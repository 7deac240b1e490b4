// The slide-show toggle against LibreOffice Impress, the program presenters use here: a generated
// two-slide presentation under Xvfb with openbox, the real Orvelle driven by the virtual remote.
// Holding page up starts the show full screen from the current slide; holding it again ends it.
// LibreOffice starts slowly under Xvfb: every wait is generous and nothing is timed.

// gtest first: Xlib's macros (None, Bool) would rewrite its names.
#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "EwmhWindowList.h"
#include "ProgramUnderRemote.h"
#include "TempDir.h"

#include <fcntl.h>

#include <chrono>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Two slides, as a flat (single XML file) presentation.
constexpr const char* kPresentation = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.3"
 office:mimetype="application/vnd.oasis.opendocument.presentation">
 <office:body><office:presentation>
  <draw:page draw:name="One"><draw:frame svg:x="2cm" svg:y="2cm" svg:width="20cm" svg:height="3cm"><draw:text-box><text:p>First slide</text:p></draw:text-box></draw:frame></draw:page>
  <draw:page draw:name="Two"><draw:frame svg:x="2cm" svg:y="2cm" svg:width="20cm" svg:height="3cm"><draw:text-box><text:p>Second slide</text:p></draw:text-box></draw:frame></draw:page>
 </office:presentation></office:body>
</office:document>
)";

class SlideShowImpressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Which("soffice").empty())
            GTEST_SKIP() << "LibreOffice Impress is not installed (scripts/test installs libreoffice-impress)";
        for (const char* tool : {"Xvfb", "openbox", "xdotool"}) {
            if (Which(tool).empty())
                GTEST_SKIP() << tool << " is not installed (xvfb, openbox, xdotool)";
        }
        m_log = open(m_dir.file("x.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        m_display = SpawnXvfb(Which("Xvfb"), "1280x800x24", InheritedEnv(), &m_xvfb, m_log);
        ASSERT_FALSE(m_display.empty()) << "Xvfb did not start";
        setenv("DISPLAY", m_display.c_str(), 1);  // for the window list
        m_wm = Spawn({Which("openbox")}, DisplayEnv(m_display), m_log);

        fs::create_directories(m_dir.path() / "home");
        WriteWholeFile(m_dir.file("talk.fodp"), kPresentation);
        m_office = Spawn({Which("soffice"), "--nologo", "--norestore", "--nofirststartwizard",
                          "-env:UserInstallation=file://" + (m_dir.path() / "profile").string(), "--impress",
                          m_dir.file("talk.fodp")},
                         DisplayEnv(m_display, {"HOME=" + (m_dir.path() / "home").string()}), m_log);
        ASSERT_GT(m_office, 0);
        ASSERT_TRUE(WaitFor([&] { return Document() != 0 && Active() == Document(); }, 180s, 200ms))
            << "the Impress document window did not come up focused";
    }
    void TearDown() override
    {
        // Its connection goes before the server does (Xlib ends the process on a lost server).
        m_windows.reset();
        unsetenv("DISPLAY");
        m_orvelle.Stop();
        for (pid_t pid : {m_office, m_wm, m_xvfb})
            Stop(pid);
        if (m_log >= 0)
            close(m_log);
    }

    unsigned long Find(const std::function<bool(const platform::DesktopWindow&)>& match)
    {
        for (const auto& w : m_windows->Windows()) {
            if (match(w))
                return w.handle;
        }
        return 0;
    }
    unsigned long Document()
    {
        return Find([](const auto& w) { return w.className == "libreoffice-impress"; });
    }
    // The show: LibreOffice's full-screen "Presenting: ..." window covering the screen.
    bool ShowRunning()
    {
        return Find([](const auto& w) {
                   return w.title.rfind("Presenting:", 0) == 0 && w.rect.width == 1280 && w.rect.height == 800;
               }) != 0;
    }
    unsigned long Active()
    {
        const auto w = m_windows->Foreground();
        return w ? w->handle : 0;
    }
    std::string LogText() const { return InstallLogText(m_install.path()); }

    // Page up held for 2.5 s twice, far enough apart for the show to come up in between.
    void StartProgramWithTwoHolds()
    {
        const std::string hold = "report 0x03 1\nwait 2500\nreport 0x03 0\n";
        m_orvelle.Start(m_install.path(), m_dir.path(), "report 0x03 0\nwait 3000\n" + hold + "wait 20000\n" + hold + "wait 60000\n",
                        "", DisplayEnv(m_display), m_log);
        ASSERT_GT(m_orvelle.remote, 0);
        ASSERT_GT(m_orvelle.program, 0);
    }

    TempDir m_dir;
    TempDir m_install;
    int m_log = -1;
    std::string m_display;
    pid_t m_xvfb = -1, m_wm = -1, m_office = -1;
    ProgramUnderRemote m_orvelle;
    std::unique_ptr<platform::EwmhWindowList> m_windows = std::make_unique<platform::EwmhWindowList>();
};

TEST_F(SlideShowImpressTest, PageUpHoldStartsTheShowFullScreenAndTheNextHoldEndsIt)
{
    StartProgramWithTwoHolds();
    EXPECT_TRUE(WaitFor([&] { return ShowRunning(); }, 60s, 200ms)) << LogText();
    EXPECT_NE(LogText().find("OnPPT In FullScreen Not Extended Screen"), std::string::npos) << LogText();
    EXPECT_TRUE(WaitFor([&] { return !ShowRunning(); }, 60s, 200ms)) << LogText();
    // The show can end before the rest of the leave sequence has been sent and logged.
    EXPECT_TRUE(WaitFor([&] { return LogText().find("OnPPT Out FullScreen End") != std::string::npos; }, 10s, 100ms))
        << LogText();
    const std::string log = LogText();
    EXPECT_NE(log.find("EnumPPTWindowsProc Is Find PPT"), std::string::npos);
    // One toggle per hold however long it lasts: two holds, two toggles.
    size_t toggles = 0;
    for (size_t at = log.find("OnPPT In PPT Begin"); at != std::string::npos; at = log.find("OnPPT In PPT Begin", at + 1))
        ++toggles;
    EXPECT_EQ(toggles, 2u) << log;
    EXPECT_NE(Document(), 0u);
}

} // namespace
