#pragma once
// Reading and writing one key of an INI file on disk. Nothing is cached: every read opens, scans
// and closes the file, every write rewrites it whole. A write goes to "<file>.tmp", is synced and
// then renamed over the file, so a failure at any step leaves the old file as it was.

#include <string>
#include <string_view>

class CIniFile {
public:
    // 0 with the value when found; -1 with `value` = `def` when the file, section or key is missing.
    static int ReadString(const std::string& section, const std::string& key, const std::string& def, std::string& value,
                          const std::string& file);
    static int ReadInt(const std::string& section, const std::string& key, const std::string& file, int def);
    static float ReadFloat(const std::string& section, const std::string& key, const std::string& file, float def);

    // 0 on success; -1 when the file cannot be read or replaced or the key cannot be written
    // (see CIniText::Set), and the file is then unchanged.
    static int WriteString(const std::string& section, const std::string& key, const std::string& value,
                           const std::string& file);
    static int WriteInt(const std::string& section, const std::string& key, int value, const std::string& file);
    static int WriteFloat(const std::string& section, const std::string& key, float value, const std::string& file);

    // Whole-file helpers used by the writer and by restoring the factory defaults.
    enum class ReadResult { Ok, Missing, Failed };
    static ReadResult ReadWholeFile(const std::string& file, std::string& content);
    // Replaces `file` with `content` through the scratch file. 0 or -1.
    static int ReplaceFile(const std::string& file, std::string_view content);

    // Failure injection for tests: the hook is asked before each step of a replace and makes that
    // step fail when it returns true. nullptr removes it.
    enum class FaultPoint { WriteScratch, Sync, Rename };
    using FaultHook = bool (*)(FaultPoint point);
    static void SetFaultHook(FaultHook hook);
};
