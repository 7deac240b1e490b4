// Arbitrary bytes as config.ini: the reader must not fail on them, and a key written into them
// must read back while every other lookup stays as it was.

#include "IniFile.h"
#include "IniText.h"
#include "LanguageConfig.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

bool HeadersOverlap(const std::string& a, const std::string& b)
{
    const std::string ha = "[" + a + "]";
    const std::string hb = "[" + b + "]";
    return ha.starts_with(hb) || hb.starts_with(ha);
}

// libFuzzer may end the process without running exit handlers, so each run also clears the
// folders that earlier, finished runs left behind.
void RemoveFoldersOfEndedRuns(const std::filesystem::path& temp)
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(temp, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("fuzz_ini.") && !std::filesystem::exists("/proc/" + name.substr(9)))
            std::filesystem::remove_all(entry.path(), ec);
    }
}

const std::filesystem::path& WorkFolder()
{
    static const std::filesystem::path folder = [] {
        const auto temp = std::filesystem::temp_directory_path();
        RemoveFoldersOfEndedRuns(temp);
        auto path = temp / ("fuzz_ini." + std::to_string(::getpid()));
        std::filesystem::create_directories(path / "ImgRes/language");
        std::atexit([] { std::filesystem::remove_all(WorkFolder()); });
        return path;
    }();
    return folder;
}

void WriteFile(const std::string& path, const std::string& content)
{
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(16);
    const std::string key = input.ConsumeRandomLengthString(16);
    const std::string value = input.ConsumeRandomLengthString(64);
    const std::string otherSection = input.ConsumeRandomLengthString(16);
    const std::string otherKey = input.ConsumeRandomLengthString(16);
    const std::string file = input.ConsumeRemainingBytesAsString();

    std::string before;
    const bool otherFound = CIniText::Find(file, otherSection, otherKey, before);
    (void)CIniText::RealToInt(CIniText::ParseReal(before));

    std::string text = file;
    if (CIniText::Set(text, section, key, value)) {
        std::string back;
        if (!CIniText::Find(text, section, key, back) || back != CIniText::SkipLeadingSpaces(value))
            std::abort();
        std::string after;
        if (!HeadersOverlap(section, otherSection) || otherKey != key) {
            if (CIniText::Find(text, otherSection, otherKey, after) != otherFound || (otherFound && after != before))
                std::abort();
        }
    } else if (text != file) {
        std::abort();
    }

    // The same through the files, as the program does it.
    const std::string config = (WorkFolder() / "config.ini").string();
    WriteFile(config, file);
    (void)CIniFile::ReadFloat(section, key, config, 0.0f);
    (void)CIniFile::ReadInt(section, key, config, 0);
    if (CIniFile::WriteString(section, key, value, config) == 0) {
        std::string back;
        if (CIniFile::ReadString(section, key, "", back, config) != 0 || back != CIniText::SkipLeadingSpaces(value))
            std::abort();
    }

    // And as a language file.
    WriteFile((WorkFolder() / CLanguageConfig::LanguageFile(2)).string(), file);
    static CLanguageConfig language;
    language.SetBaseFolder(WorkFolder().string());
    (void)language.GetText(section, key);
    return 0;
}
