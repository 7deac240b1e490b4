// Start-up pieces of the program: the hidden-start command line, the daily log file and the skin
// archive unpacking.

#include "AppLogFile.h"
#include "HiddenStartFlag.h"
#include "ImgResUnpacker.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

bool Hidden(std::vector<const char*> args)
{
    args.insert(args.begin(), "Orvelle");
    return IsHiddenStartCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(HiddenStartFlag, OnlyTheExactWholeCommandLine)
{
    EXPECT_TRUE(Hidden({"hideWindows"}));
    EXPECT_FALSE(Hidden({}));
    EXPECT_FALSE(Hidden({"hidewindows"}));
    EXPECT_FALSE(Hidden({"HIDEWINDOWS"}));
    EXPECT_FALSE(Hidden({"hideWindows "}));
    EXPECT_FALSE(Hidden({" hideWindows"}));
    EXPECT_FALSE(Hidden({"hideWindowsX"}));
    EXPECT_FALSE(Hidden({"hideWindows", "x"}));
    EXPECT_FALSE(Hidden({"/restart"}));
}

// A local noon `daysAgo` days before today, far from any midnight or clock change.
system_clock::time_point LocalNoon(int daysAgo)
{
    time_t t = time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    tm.tm_hour = 12;
    tm.tm_min = tm.tm_sec = 0;
    tm.tm_mday -= daysAgo;
    tm.tm_isdst = -1;
    return system_clock::from_time_t(mktime(&tm));
}

std::string DayName(int daysAgo)
{
    const time_t t = system_clock::to_time_t(LocalNoon(daysAgo));
    std::tm tm{};
    localtime_r(&t, &tm);
    return CAppLogFile::DailyFileName(tm);
}

TEST(AppLogFile, DailyNameAndEarlyLinesKept)
{
    std::tm tm{};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 0;
    tm.tm_mday = 5;
    EXPECT_EQ(CAppLogFile::DailyFileName(tm), "20260105.log");

    TempDir dir;
    CAppLogFile log;
    log.Append("before open\r\n", 13);
    ASSERT_TRUE(log.Open(dir.path().string(), 7, LocalNoon(0)));
    EXPECT_EQ(log.GetPath(), (dir.path() / "log" / DayName(0)).string());
    log.Append("after open\r\n", 12);
    log.Flush();
    EXPECT_EQ(ReadWholeFile(log.GetPath()), "before open\r\nafter open\r\n");

    // A second start on the same day appends.
    log.Close();
    CAppLogFile again;
    ASSERT_TRUE(again.Open(dir.path().string(), 7, LocalNoon(0)));
    again.Append("second\r\n", 8);
    again.Flush();
    EXPECT_EQ(ReadWholeFile(again.GetPath()), "before open\r\nafter open\r\nsecond\r\n");
}

TEST(AppLogFile, DeletesLogsOfTheConfiguredAgeAndOlderOnly)
{
    TempDir dir;
    const fs::path folder = dir.path() / "log";
    fs::create_directories(folder / (DayName(30) + ".d.log"));  // a folder is never deleted
    for (int age : {1, 6, 7, 8, 400})
        WriteWholeFile((folder / DayName(age)).string(), "x");
    WriteWholeFile((folder / "notes.txt").string(), "x");
    // Not named after a day: its last change dates it.
    const std::string old = (folder / "old.log").string();
    WriteWholeFile(old, "x");
    fs::last_write_time(old, fs::file_time_type::clock::now() - hours(24 * 20));
    const std::string fresh = (folder / "fresh.log").string();
    WriteWholeFile(fresh, "x");

    CAppLogFile log;
    ASSERT_TRUE(log.Open(dir.path().string(), 7, LocalNoon(0)));
    for (int age : {1, 6})
        EXPECT_TRUE(fs::exists(folder / DayName(age))) << age;
    for (int age : {7, 8, 400})
        EXPECT_FALSE(fs::exists(folder / DayName(age))) << age;
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_TRUE(fs::exists(folder / "notes.txt"));
    EXPECT_TRUE(fs::is_directory(folder / (DayName(30) + ".d.log")));
}

TEST(AppLogFile, ZeroDaysNeverDeletesTheFileInUse)
{
    TempDir dir;
    const fs::path folder = dir.path() / "log";
    fs::create_directories(folder);
    WriteWholeFile((folder / DayName(0)).string(), "earlier today\r\n");
    WriteWholeFile((folder / DayName(1)).string(), "x");
    CAppLogFile log;
    ASSERT_TRUE(log.Open(dir.path().string(), 0, LocalNoon(0)));
    EXPECT_EQ(ReadWholeFile(log.GetPath()), "earlier today\r\n");
    EXPECT_FALSE(fs::exists(folder / DayName(1)));
}

// Builds an archive from (name, content) pairs; a name ending in '/' is a folder entry.
void MakeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    for (const auto& [name, content] : entries) {
        zip_fileinfo info{};
        ASSERT_EQ(zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                        Z_DEFAULT_COMPRESSION, 0),
                  ZIP_OK);
        if (!content.empty()) {
            ASSERT_EQ(zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size())), ZIP_OK);
        }
        zipCloseFileInZip(zip);
    }
    ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

TEST(ImgResUnpacker, UnpacksTheTreeAndReplacesEditedFiles)
{
    TempDir dir;
    const std::string zip = dir.file("ImgRes.zip");
    const std::string big(3 * CImgResUnpacker::kChunk + 17, 'q');  // several chunks and a remainder
    MakeZip(zip, {{"ImgRes/", ""}, {"ImgRes/MainUI.xml", "<Window/>"}, {"ImgRes/pic/big.bin", big},
                  {"ImgRes/empty.txt", ""}});
    const std::string dest = dir.file("install");

    auto r = CImgResUnpacker::Unpack(zip, dest);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.files, 3);
    EXPECT_EQ(ReadWholeFile(dest + "/ImgRes/MainUI.xml"), "<Window/>");
    EXPECT_EQ(ReadWholeFile(dest + "/ImgRes/pic/big.bin"), big);
    EXPECT_TRUE(fs::is_regular_file(dest + "/ImgRes/empty.txt"));

    WriteWholeFile(dest + "/ImgRes/MainUI.xml", "edited by hand, much longer than before");
    WriteWholeFile(dest + "/ImgRes/pic/big.bin", std::string(big.size(), 'r'));  // same size
    WriteWholeFile(dest + "/ImgRes/mine.txt", "user file");
    r = CImgResUnpacker::Unpack(zip, dest);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.files, 2);
    EXPECT_EQ(r.unchanged, 1);
    EXPECT_EQ(ReadWholeFile(dest + "/ImgRes/pic/big.bin"), big);
    EXPECT_EQ(ReadWholeFile(dest + "/ImgRes/MainUI.xml"), "<Window/>");
    EXPECT_EQ(ReadWholeFile(dest + "/ImgRes/mine.txt"), "user file");
    for (const auto& e : fs::recursive_directory_iterator(dest))
        EXPECT_EQ(e.path().string().find(".unpacking"), std::string::npos) << e.path();
}

TEST(ImgResUnpacker, EntriesLeavingTheFolderAreSkipped)
{
    TempDir dir;
    const std::string zip = dir.file("ImgRes.zip");
    const std::string outside = dir.file("outside.txt");
    MakeZip(zip, {{"ImgRes/ok.xml", "ok"}, {"../outside.txt", "escaped"}, {"ImgRes/../../outside.txt", "escaped"},
                  {outside, "absolute"}, {"ImgRes\\..\\..\\outside.txt", "escaped"}, {"ImgRes/a..b.xml", "dots"}});
    const std::string dest = dir.file("install/deeper");

    const auto r = CImgResUnpacker::Unpack(zip, dest);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.skipped, 4);
    EXPECT_EQ(ReadWholeFile(dest + "/ImgRes/ok.xml"), "ok");
    EXPECT_EQ(ReadWholeFile(dest + "/ImgRes/a..b.xml"), "dots");
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_FALSE(fs::exists(dir.file("install/outside.txt")));
}

TEST(ImgResUnpacker, DamagedOrMissingArchiveUnpacksNothing)
{
    TempDir dir;
    const std::string dest = dir.file("install");
    fs::create_directories(dest + "/ImgRes");
    WriteWholeFile(dest + "/ImgRes/MainUI.xml", "existing skin");

    EXPECT_FALSE(CImgResUnpacker::Unpack(dir.file("missing.zip"), dest).ok);
    WriteWholeFile(dir.file("junk.zip"), std::string(5000, '\x7f'));
    EXPECT_FALSE(CImgResUnpacker::Unpack(dir.file("junk.zip"), dest).ok);

    // A valid directory whose second entry's data is damaged: the first entry must not land
    // either, or the skin on disk would be half old, half new.
    const std::string zip = dir.file("ImgRes.zip");
    const std::string payload(20000, 'z');
    MakeZip(zip, {{"ImgRes/MainUI.xml", "new skin"}, {"ImgRes/pic.bin", payload}});
    std::string bytes = ReadWholeFile(zip);
    const size_t second = bytes.find("ImgRes/pic.bin");
    ASSERT_NE(second, std::string::npos);
    bytes[second + 14 + 5] ^= 0x55;  // inside the deflated data of the second entry
    WriteWholeFile(zip, bytes);

    EXPECT_FALSE(CImgResUnpacker::Unpack(zip, dest).ok);
    EXPECT_EQ(ReadWholeFile(dest + "/ImgRes/MainUI.xml"), "existing skin");
    EXPECT_FALSE(fs::exists(dest + "/ImgRes/pic.bin"));
    EXPECT_FALSE(fs::exists(dest + "/ImgRes/MainUI.xml.unpacking"));
}

} // namespace
