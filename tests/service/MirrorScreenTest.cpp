// The mirror key: version rule, the notices and the start of the mirroring application.

#include "CMirrorScreen.h"
#include "ICommandPipe.h"
#include "IKVOMultiDeviceTooltip.h"
#include "ProcProcessList.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct RecordingPipe final : platform::ICommandPipe {
    std::vector<std::string> offered;
    Result result = Result::NoClient;
    Result SendOnce(const std::string& bytes, int, std::string*) override
    {
        offered.push_back(bytes);
        return result;
    }
};

struct RecordingTooltip final : IKVOMultiDeviceTooltip {
    std::mutex mutex;
    std::vector<std::string> shown;
    void ShowTooltip(const char* section, const char* key, int durationMs) override
    {
        std::lock_guard lock(mutex);
        shown.push_back(std::string(section) + "/" + key + "/" + std::to_string(durationMs));
    }
};

struct FixedProcesses final : platform::IProcessList {
    bool running = false;
    bool IsProcessRunning(const std::string&) const override { return running; }
};

// A stand-in application: a script that leaves a marker with its argument count, beside its
// version file.
void InstallFakeApplication(const TempDir& dir, const std::string& version)
{
    const fs::path program = dir.path() / CMirrorScreen::kProcessName;
    WriteWholeFile(program.string(), "#!/bin/sh\necho $# > \"" + dir.file("started") + "\"\n");
    fs::permissions(program, fs::perms::owner_all);
    WriteWholeFile(dir.file(CMirrorScreen::kVersionFile), version + "\n");
}

} // namespace

TEST(MirrorScreen, VersionsCompareNumberByNumber)
{
    EXPECT_EQ(CMirrorScreen::CompareVersion("2.4.4.17", "2.4.4.17"), 0);
    EXPECT_GT(CMirrorScreen::CompareVersion("2.10.0.0", "2.4.4.17"), 0);
    EXPECT_GT(CMirrorScreen::CompareVersion("3", "2.4.4.17"), 0);
    // A tail read as a decimal number would put 4.9 above 4.17.
    EXPECT_LT(CMirrorScreen::CompareVersion("2.4.4.9", "2.4.4.17"), 0);
    EXPECT_LT(CMirrorScreen::CompareVersion("2.4.3.99", "2.4.4.17"), 0);
    EXPECT_EQ(CMirrorScreen::CompareVersion("2.4.4", "2.4.4.0"), 0);
    for (const char* bad : {"", "2.4..17", "2.4.4.17b", "v2", ".", "2.4.4.17."})
        EXPECT_LT(CMirrorScreen::CompareVersion(bad, "0"), 0) << bad;
}

TEST(MirrorScreen, MissingApplicationShowsNoMirrolaAndSendsNothingMore)
{
    TempDir dir;
    RecordingPipe pipe;
    RecordingTooltip tooltip;
    FixedProcesses processes;
    CMirrorScreen mirror({&pipe, &processes, &tooltip, dir.path().string()});
    mirror.MirrorScreen();
    // Only the first attempt, which found no client.
    ASSERT_EQ(pipe.offered.size(), 1u);
    EXPECT_EQ(pipe.offered[0], std::string("1\0", 2));
    EXPECT_EQ(tooltip.shown, std::vector<std::string>{"tooltip/no_mirrola/1000"});
}

TEST(MirrorScreen, ConnectedClientEndsThePressAtOnce)
{
    TempDir dir;
    RecordingPipe pipe;
    pipe.result = platform::ICommandPipe::Result::Sent;
    RecordingTooltip tooltip;
    FixedProcesses processes;
    CMirrorScreen mirror({&pipe, &processes, &tooltip, dir.path().string()});
    mirror.MirrorScreen();
    EXPECT_EQ(pipe.offered.size(), 1u);
    EXPECT_TRUE(tooltip.shown.empty());
}

TEST(MirrorScreen, OldOrUnversionedApplicationIsRefused)
{
    for (const char* version : {"2.4.4.9", ""}) {
        for (bool running : {false, true}) {
            TempDir dir;
            InstallFakeApplication(dir, version);
            RecordingPipe pipe;
            RecordingTooltip tooltip;
            FixedProcesses processes;
            processes.running = running;
            CMirrorScreen mirror({&pipe, &processes, &tooltip, dir.path().string()});
            mirror.MirrorScreen();
            EXPECT_EQ(tooltip.shown, std::vector<std::string>{"tooltip/mirrola_version_lower/1000"}) << version;
            EXPECT_EQ(pipe.offered.size(), 1u);
            EXPECT_FALSE(fs::exists(dir.file("started")));
        }
    }
}

TEST(MirrorScreen, RecentApplicationIsStartedWhenNotRunningAndSentToWhenRunning)
{
    TempDir dir;
    InstallFakeApplication(dir, "2.4.4.17");
    RecordingPipe pipe;
    RecordingTooltip tooltip;
    platform::ProcProcessList processes;
    CMirrorScreen mirror({&pipe, &processes, &tooltip, dir.path().string()});
    mirror.MirrorScreen();
    EXPECT_EQ(tooltip.shown, std::vector<std::string>{"tooltip/start_mirrola/1000"});
    EXPECT_EQ(pipe.offered.size(), 1u);
    // The script runs detached; wait for its marker (bounded, not a speed check).
    for (int i = 0; i < 500 && ReadWholeFile(dir.file("started")).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadWholeFile(dir.file("started")), "0\n");

    FixedProcesses running;
    running.running = true;
    CMirrorScreen again({&pipe, &running, &tooltip, dir.path().string()});
    again.MirrorScreen();
    EXPECT_EQ(pipe.offered.size(), 3u);  // the first attempt and the one after the check
    EXPECT_EQ(tooltip.shown.size(), 1u);
}
