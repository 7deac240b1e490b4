#pragma once
// The language of every text the program shows, and of the attribute lists that style its
// controls: one of seventeen files under ImgRes/language, chosen once at start from the user's
// locale. Lookups read the chosen file every time and hand back their own copy of the text, so
// worker threads may look texts up while the UI thread does.

#include <mutex>
#include <string>

class CLanguageConfig {
public:
    static constexpr int kLanguageCount = 17;
    static constexpr int kDefaultLanguage = 2; // English

    static CLanguageConfig& GetInstance();
    CLanguageConfig() = default;

    // Chooses the language from the user's locale (LC_ALL, LC_MESSAGES, LANG) and logs
    // "CLanguageConfig::Init language:%d m_nSelLanguage:%d" with its locale identifier and index.
    void Init();
    // The same for a given Windows locale identifier.
    void InitFromLcid(int lcid);

    // The table's row for a locale identifier: 1..17, English (2) for any identifier not listed.
    static int LanguageIndexForLcid(int lcid);
    // "ImgRes/language/english.ini" for index 2; nullptr outside 1..17.
    static const char* LanguageFile(int index);

    int GetSelLanguage() const;
    // The chosen file, relative to the base folder.
    std::string GetLanguagePath() const;
    // Language files are named relative to this folder; empty means the current directory
    // (start-up makes that the install folder).
    void SetBaseFolder(const std::string& folder);

    // The UTF-8 text of (section, key) in the chosen file; empty when the file, section or key is
    // missing or the value is not valid UTF-8.
    std::string GetText(const std::string& section, const std::string& key) const;

private:
    mutable std::mutex m_lock;
    int m_nSelLanguage = kDefaultLanguage;
    std::string m_baseFolder;
};
