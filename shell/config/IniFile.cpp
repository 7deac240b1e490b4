#include "IniFile.h"

#include "FileSync.h"
#include "IniText.h"
#include "KVOLog.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <set>
#include <utility>

namespace {

std::atomic<CIniFile::FaultHook> g_faultHook{nullptr};

bool Fails(CIniFile::FaultPoint point)
{
    const auto hook = g_faultHook.load();
    return hook != nullptr && hook(point);
}

// Concurrent writers would each read the old file and the last rename would drop the other's key.
std::mutex& WriteMutex()
{
    static std::mutex mutex;
    return mutex;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Every read opens the file again; a broken file or line is worth one log line, not one per read.
constexpr size_t kWholeFile = 0;

bool FirstReport(const std::string& file, size_t lineNumber)
{
    static std::mutex mutex;
    static std::set<std::pair<std::string, size_t>> reported;
    std::lock_guard lock(mutex);
    return reported.emplace(file, lineNumber).second;
}

void ReportUnreadableLine(const std::string& file, size_t lineNumber)
{
    if (FirstReport(file, lineNumber))
        WriteLog(KVO_LOG_WARN, "CIniFile::ReadString %s line %zu is too long or not text, skipped", file.c_str(),
                 lineNumber);
}

int Replace(const std::string& file, std::string_view content);

} // namespace

CIniFile::ReadResult CIniFile::ReadWholeFile(const std::string& file, std::string& content)
{
    content.clear();
    FilePtr f(std::fopen(file.c_str(), "rb"));
    if (!f)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    char buffer[8192];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), f.get())) > 0)
        content.append(buffer, got);
    return std::ferror(f.get()) ? ReadResult::Failed : ReadResult::Ok;
}

int CIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def,
                         std::string& value, const std::string& file)
{
    std::string content;
    const ReadResult read = ReadWholeFile(file, content);
    if (read == ReadResult::Failed && FirstReport(file, kWholeFile))
        WriteLog(KVO_LOG_ERROR, "CIniFile::ReadString cannot read %s, defaults used", file.c_str());
    size_t badLine = 0;
    if (read == ReadResult::Ok && CIniText::Find(content, section, key, value, &badLine)) {
        if (badLine != 0)
            ReportUnreadableLine(file, badLine);
        return 0;
    }
    if (badLine != 0)
        ReportUnreadableLine(file, badLine);
    value = def;
    return -1;
}

int CIniFile::ReadInt(const std::string& section, const std::string& key, const std::string& file, int def)
{
    std::string value;
    if (ReadString(section, key, std::string(), value, file) != 0)
        return def;
    return CIniText::RealToInt(CIniText::ParseReal(value));
}

float CIniFile::ReadFloat(const std::string& section, const std::string& key, const std::string& file, float def)
{
    std::string value;
    if (ReadString(section, key, std::string(), value, file) != 0)
        return def;
    // Past the float range a conversion is undefined; such values read as infinity.
    const double real = CIniText::ParseReal(value);
    constexpr float kMax = std::numeric_limits<float>::max();
    if (real > kMax || real < -kMax)
        return real > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return static_cast<float>(real);
}

int CIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value,
                          const std::string& file)
{
    std::lock_guard lock(WriteMutex());
    std::string content;
    if (ReadWholeFile(file, content) == ReadResult::Failed) {
        // Writing now would replace settings we could not read with a file that lacks them.
        WriteLog(KVO_LOG_ERROR, "CIniFile::WriteString cannot read %s: %s", file.c_str(), std::strerror(errno));
        return -1;
    }
    if (!CIniText::Set(content, section, key, value)) {
        WriteLog(KVO_LOG_ERROR, "CIniFile::WriteString [%s] %s: not a value this file can hold", section.c_str(),
                 key.c_str());
        return -1;
    }
    return Replace(file, content);
}

int CIniFile::WriteInt(const std::string& section, const std::string& key, int value, const std::string& file)
{
    return WriteString(section, key, CIniText::FormatInt(value), file);
}

int CIniFile::WriteFloat(const std::string& section, const std::string& key, float value, const std::string& file)
{
    return WriteString(section, key, CIniText::FormatReal(value), file);
}

int CIniFile::ReplaceFile(const std::string& file, std::string_view content)
{
    std::lock_guard lock(WriteMutex());
    return Replace(file, content);
}

void CIniFile::SetFaultHook(FaultHook hook) { g_faultHook = hook; }

namespace {

int Replace(const std::string& file, std::string_view content)
{
    using FaultPoint = CIniFile::FaultPoint;
    const std::string scratch = file + ".tmp";
    bool written = false;
    {
        FilePtr f(std::fopen(scratch.c_str(), "wb"));
        if (!f) {
            WriteLog(KVO_LOG_ERROR, "CIniFile::ReplaceFile cannot open %s: %s", scratch.c_str(), std::strerror(errno));
            return -1;
        }
        written = !Fails(FaultPoint::WriteScratch) &&
                  std::fwrite(content.data(), 1, content.size(), f.get()) == content.size() &&
                  !Fails(FaultPoint::Sync) && platform::SyncFile(f.get());
        written = (std::fclose(f.release()) == 0) && written;
    }
    if (!written) {
        WriteLog(KVO_LOG_ERROR, "CIniFile::ReplaceFile writing %s failed: %s", scratch.c_str(), std::strerror(errno));
        std::remove(scratch.c_str());
        return -1;
    }
    if (Fails(FaultPoint::Rename) || std::rename(scratch.c_str(), file.c_str()) != 0) {
        WriteLog(KVO_LOG_ERROR, "CIniFile::ReplaceFile renaming %s failed: %s", scratch.c_str(), std::strerror(errno));
        std::remove(scratch.c_str());
        return -1;
    }
    return 0;
}

} // namespace
