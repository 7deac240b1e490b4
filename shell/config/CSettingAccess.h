#pragma once
// A setting by its section and key as config.ini names them, read and written through the
// settings object with the checks of the settings pages: a value a page could not have set is
// refused and nothing is stored or written. Values are texts in the file's own form.

#include <string>

class CConfigManager;

class CSettingAccess {
public:
    enum class Result { Stored, UnknownKey, Refused, WriteFailed };

    explicit CSettingAccess(CConfigManager& config) : m_config(config) {}

    // False for a key no page sets.
    bool Get(const std::string& section, const std::string& key, std::string& value) const;
    // Checks the value, stores it and writes that key to config.ini. `why` says what a refused
    // value should have been.
    Result Set(const std::string& section, const std::string& key, const std::string& value, std::string& why);

    // "Section.Key" of every setting, for the help text.
    static std::string KeyList();

private:
    CConfigManager& m_config;
};
