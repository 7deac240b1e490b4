// Skin archive extraction with minizip.

#include "ImgResUnpacker.h"

#include "KVOLog.h"

#include <unzip.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct UnzipCloser {
    void operator()(void* zip) const { unzClose(zip); }
};
using UnzipFile = std::unique_ptr<void, UnzipCloser>;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

struct PendingFile {
    fs::path temp;
    fs::path final;
};

void RemoveTemps(const std::vector<PendingFile>& pending)
{
    std::error_code ec;
    for (const auto& p : pending)
        fs::remove(p.temp, ec);
}

// Copies the current entry into `temp`; false on any read, write or CRC failure.
bool ExtractCurrent(unzFile zip, const fs::path& temp, std::vector<char>& buffer)
{
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return false;
    std::unique_ptr<FILE, FileCloser> out(std::fopen(temp.c_str(), "wb"));
    bool ok = out != nullptr;
    while (ok) {
        const int n = unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()));
        if (n < 0)
            ok = false;
        else if (n == 0)
            break;
        else if (std::fwrite(buffer.data(), 1, static_cast<size_t>(n), out.get()) != static_cast<size_t>(n))
            ok = false;
    }
    if (out && std::fclose(out.release()) != 0)
        ok = false;
    // Reports a CRC mismatch of an entry read to its end.
    if (unzCloseCurrentFile(zip) != UNZ_OK)
        ok = false;
    return ok;
}

// True when `path` already holds exactly the entry's bytes (same size and CRC-32): rewriting it
// would cost a write and a rename for nothing, and the start-up waits for this.
bool SameAsOnDisk(const fs::path& path, uint64_t size, uLong crc, std::vector<char>& buffer)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) != size || ec)
        return false;
    std::unique_ptr<FILE, FileCloser> in(std::fopen(path.c_str(), "rb"));
    if (!in)
        return false;
    uLong sum = crc32(0L, Z_NULL, 0);
    size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0)
        sum = crc32(sum, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(n));
    return std::ferror(in.get()) == 0 && sum == crc;
}

} // namespace

bool CImgResUnpacker::IsSafeEntryName(const std::string& name)
{
    if (name.empty() || name[0] == '/' || name[0] == '\\')
        return false;
    if (name.size() >= 2 && name[1] == ':')  // a drive letter
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = name.find_first_of("/\\", start);
        const size_t stop = end == std::string::npos ? name.size() : end;
        if (name.compare(start, stop - start, "..") == 0 && stop - start == 2)
            return false;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return true;
}

ImgResUnpackResult CImgResUnpacker::Unpack(const std::string& zipPath, const std::string& destFolder)
{
    ImgResUnpackResult result;
    std::error_code ec;
    fs::create_directories(destFolder, ec);

    UnzipFile zip(unzOpen64(zipPath.c_str()));
    if (!zip) {
        WriteLog(KVO_LOG_WARN, "UnZipFile() cannot open %s, the skin on disk stays", zipPath.c_str());
        return result;
    }
    unz_global_info64 info{};
    if (unzGetGlobalInfo64(zip.get(), &info) != UNZ_OK) {
        WriteLog(KVO_LOG_WARN, "UnZipFile() %s is not a readable archive", zipPath.c_str());
        return result;
    }

    std::vector<PendingFile> pending;
    std::vector<char> buffer(kChunk);
    const fs::path dest(destFolder);
    int status = unzGoToFirstFile(zip.get());
    for (ZPOS64_T i = 0; i < info.number_entry; ++i) {
        if (status != UNZ_OK) {
            WriteLog(KVO_LOG_ERROR, "UnZipFile() entry %llu of %s cannot be reached",
                     static_cast<unsigned long long>(i), zipPath.c_str());
            RemoveTemps(pending);
            return ImgResUnpackResult{};
        }
        unz_file_info64 entry{};
        char name[1024] = {};
        if (unzGetCurrentFileInfo64(zip.get(), &entry, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK) {
            WriteLog(KVO_LOG_ERROR, "UnZipFile() entry %llu of %s is damaged", static_cast<unsigned long long>(i),
                     zipPath.c_str());
            RemoveTemps(pending);
            return ImgResUnpackResult{};
        }
        const std::string entryName(name);
        if (!IsSafeEntryName(entryName)) {
            WriteLog(KVO_LOG_WARN, "UnZipFile() skipped entry \"%s\": it would leave %s", entryName.c_str(),
                     destFolder.c_str());
            ++result.skipped;
        } else if (entryName.back() == '/' || entryName.back() == '\\') {
            fs::create_directories(dest / entryName, ec);
            ++result.folders;
        } else {
            const fs::path final = dest / entryName;
            if (SameAsOnDisk(final, entry.uncompressed_size, entry.crc, buffer)) {
                ++result.unchanged;
                status = unzGoToNextFile(zip.get());
                continue;
            }
            fs::create_directories(final.parent_path(), ec);
            fs::path temp = final;
            temp += ".unpacking";
            pending.push_back({temp, final});
            if (!ExtractCurrent(zip.get(), temp, buffer)) {
                WriteLog(KVO_LOG_ERROR, "UnZipFile() entry \"%s\" of %s is damaged, nothing unpacked",
                         entryName.c_str(), zipPath.c_str());
                RemoveTemps(pending);
                return ImgResUnpackResult{};
            }
        }
        status = unzGoToNextFile(zip.get());
    }

    for (const auto& p : pending) {
        fs::rename(p.temp, p.final, ec);
        if (ec) {
            WriteLog(KVO_LOG_ERROR, "UnZipFile() cannot replace %s: %s", p.final.c_str(), ec.message().c_str());
            fs::remove(p.temp, ec);
            continue;
        }
        ++result.files;
    }
    result.ok = true;
    return result;
}
