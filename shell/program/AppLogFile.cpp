// The daily application log file.

#include "AppLogFile.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Day number of a civil date, so that "N calendar days before" is a plain subtraction.
long DayNumber(int year, unsigned month, unsigned day)
{
    return std::chrono::sys_days{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}}
        .time_since_epoch()
        .count();
}

std::tm LocalTm(std::chrono::system_clock::time_point t)
{
    const time_t seconds = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    return tm;
}

long LocalDayNumber(std::chrono::system_clock::time_point t)
{
    const std::tm tm = LocalTm(t);
    return DayNumber(tm.tm_year + 1900, static_cast<unsigned>(tm.tm_mon + 1), static_cast<unsigned>(tm.tm_mday));
}

// The day of a file named "YYYYMMDD.log"; false for any other name or an impossible date.
bool DayFromName(const std::string& name, long& dayNumber)
{
    if (name.size() != 12 || name.compare(8, 4, ".log") != 0)
        return false;
    for (int i = 0; i < 8; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
    }
    const int year = std::stoi(name.substr(0, 4));
    const auto month = static_cast<unsigned>(std::stoi(name.substr(4, 2)));
    const auto day = static_cast<unsigned>(std::stoi(name.substr(6, 2)));
    const std::chrono::year_month_day ymd{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
    if (!ymd.ok())
        return false;
    dayNumber = DayNumber(year, month, day);
    return true;
}

bool FileDay(const fs::directory_entry& entry, long& dayNumber)
{
    if (DayFromName(entry.path().filename().string(), dayNumber))
        return true;
    std::error_code ec;
    const auto changed = entry.last_write_time(ec);
    if (ec)
        return false;
    dayNumber = LocalDayNumber(std::chrono::file_clock::to_sys(changed));
    return true;
}

} // namespace

CAppLogFile::~CAppLogFile()
{
    Close();
}

std::string CAppLogFile::DailyFileName(const std::tm& localDay)
{
    char name[32];
    std::snprintf(name, sizeof name, "%04d%02d%02d.log", localDay.tm_year + 1900, localDay.tm_mon + 1,
                  localDay.tm_mday);
    return name;
}

int CAppLogFile::DeleteOldLogs(const std::string& folder, int deleteDays, TimePoint now, const std::string& keep)
{
    const long today = LocalDayNumber(now);
    int deleted = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        std::error_code typeEc;
        if (entry.is_directory(typeEc) || entry.path().extension() != ".log")
            continue;
        if (!keep.empty() && fs::equivalent(entry.path(), keep, typeEc))
            continue;
        long day = 0;
        if (!FileDay(entry, day) || today - day < deleteDays)
            continue;
        std::error_code removeEc;
        if (fs::remove(entry.path(), removeEc))
            ++deleted;
    }
    return deleted;
}

bool CAppLogFile::Open(const std::string& installFolder, int deleteDays, TimePoint now)
{
    const fs::path folder = fs::path(installFolder) / "log";
    std::error_code ec;
    fs::create_directories(folder, ec);
    const std::string path = (folder / DailyFileName(LocalTm(now))).string();

    {
        std::lock_guard lock(m_mutex);
        if (m_file) {
            std::fclose(m_file);
            m_file = nullptr;
            m_path.clear();
        }
        // Text mode is the same as binary here; lines already end as the writer made them.
        m_file = std::fopen(path.c_str(), "a");
        if (m_file) {
            m_path = path;
            if (!m_early.empty())
                std::fwrite(m_early.data(), 1, m_early.size(), m_file);
            if (m_bEarlyOverflow) {
                static const char kNote[] = "CAppLogFile: early lines dropped, start-up buffer full\r\n";
                std::fwrite(kNote, 1, sizeof kNote - 1, m_file);
            }
            std::fflush(m_file);
        }
        m_early.clear();
        m_early.shrink_to_fit();
        m_bEarlyOverflow = false;
        m_bBuffering = false;
    }
    // The day's own file is kept even when the configured age would cover it (0 days).
    DeleteOldLogs(folder.string(), deleteDays, now, path);
    return GetPath() == path;
}

void CAppLogFile::Close()
{
    std::lock_guard lock(m_mutex);
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_path.clear();
}

std::string CAppLogFile::GetPath() const
{
    std::lock_guard lock(m_mutex);
    return m_path;
}

void CAppLogFile::SetSource(const char*, int)
{
    // Every line already carries its time and level; the writer's own source adds nothing.
}

void CAppLogFile::Append(const char* data, size_t len)
{
    std::lock_guard lock(m_mutex);
    if (m_file) {
        std::fwrite(data, 1, len, m_file);
        return;
    }
    if (!m_bBuffering)
        return;
    if (m_early.size() + len <= kEarlyBufferMax)
        m_early.append(data, len);
    else
        m_bEarlyOverflow = true;
}

void CAppLogFile::Flush()
{
    std::lock_guard lock(m_mutex);
    if (m_file)
        std::fflush(m_file);
}
