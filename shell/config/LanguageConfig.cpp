#include "LanguageConfig.h"

#include "IniFile.h"
#include "KVOLog.h"
#include "LocaleLcid.h"

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string_view>

namespace {

struct LanguageRow {
    const char* file;
    std::initializer_list<int> lcids;
};

// Index i + 1 is row i. The file names keep their case: the folder is case-sensitive here.
const LanguageRow kLanguages[CLanguageConfig::kLanguageCount] = {
    {"ImgRes/language/simplified_chinese.ini", {2052}},
    {"ImgRes/language/english.ini", {1033, 3081, 10249, 4105, 6153, 8201, 5129, 7177, 11273, 2057}},
    {"ImgRes/language/traditional_chinese.ini", {1028, 3076, 5124}},
    {"ImgRes/language/Japanese.ini", {1041}},
    {"ImgRes/language/Korean.ini", {1042}},
    {"ImgRes/language/Thai.ini", {1054}},
    {"ImgRes/language/Vietnamese.ini", {1066}},
    {"ImgRes/language/Indonesian.ini", {1057}},
    {"ImgRes/language/Malaysian.ini", {1086}},
    {"ImgRes/language/Spanish.ini", {1110, 11274, 16394, 13322, 9226, 5130, 7178, 12298, 4106, 18442, 2058, 19466,
                                     6154, 10250, 20490, 15370, 17418, 14346, 8202, 3082}},
    {"ImgRes/language/Arabic.ini", {2049, 4097, 1025, 14337, 15361, 5121, 3073, 11265, 13313, 12289, 8193, 16385,
                                    10241, 7169, 9217}},
    {"ImgRes/language/Russian.ini", {1049, 2073}},
    {"ImgRes/language/French.ini", {1036, 2060, 3084, 5132, 4108}},
    {"ImgRes/language/Italian.ini", {1040, 2064}},
    {"ImgRes/language/Portuguese.ini", {2070, 1046}},
    {"ImgRes/language/Polish.ini", {1079, 1045}},
    {"ImgRes/language/German.ini", {1031}},
};

bool IsValidUtf8(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t extra;
        unsigned int cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1Fu;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0Fu;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07u;
        } else {
            return false;
        }
        if (i + extra >= text.size())
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0u) != 0x80u)
                return false;
            cp = (cp << 6) | (cc & 0x3Fu);
        }
        // Overlong forms, UTF-16 surrogates and code points past U+10FFFF are not UTF-8.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

CLanguageConfig& CLanguageConfig::GetInstance()
{
    static CLanguageConfig instance;
    return instance;
}

int CLanguageConfig::LanguageIndexForLcid(int lcid)
{
    for (int i = 0; i < kLanguageCount; ++i) {
        const auto& ids = kLanguages[i].lcids;
        if (std::find(ids.begin(), ids.end(), lcid) != ids.end())
            return i + 1;
    }
    return kDefaultLanguage;
}

const char* CLanguageConfig::LanguageFile(int index)
{
    return index >= 1 && index <= kLanguageCount ? kLanguages[index - 1].file : nullptr;
}

void CLanguageConfig::Init() { InitFromLcid(LcidFromLocaleName(UserMessageLocale())); }

void CLanguageConfig::InitFromLcid(int lcid)
{
    const int index = LanguageIndexForLcid(lcid);
    {
        std::lock_guard lock(m_lock);
        m_nSelLanguage = index;
    }
    WriteLog(KVO_LOG_INFO, "CLanguageConfig::Init language:%d m_nSelLanguage:%d", lcid, index);
    std::error_code ec;
    const std::string path = GetLanguagePath();
    if (!std::filesystem::is_regular_file(path, ec))
        WriteLog(KVO_LOG_ERROR, "CLanguageConfig::Init %s missing, texts will be empty", path.c_str());
}

int CLanguageConfig::GetSelLanguage() const
{
    std::lock_guard lock(m_lock);
    return m_nSelLanguage;
}

std::string CLanguageConfig::GetLanguagePath() const
{
    std::lock_guard lock(m_lock);
    const char* file = LanguageFile(m_nSelLanguage);
    if (m_baseFolder.empty())
        return file;
    return (std::filesystem::path(m_baseFolder) / file).string();
}

void CLanguageConfig::SetBaseFolder(const std::string& folder)
{
    std::lock_guard lock(m_lock);
    m_baseFolder = folder;
}

std::string CLanguageConfig::GetText(const std::string& section, const std::string& key) const
{
    std::string text;
    const std::string path = GetLanguagePath();
    CIniFile::ReadString(section, key, std::string(), text, path);
    if (!IsValidUtf8(text)) {
        WriteLog(KVO_LOG_WARN, "CLanguageConfig::GetText [%s] %s in %s is not UTF-8", section.c_str(), key.c_str(),
                 path.c_str());
        text.clear();
    }
    return text;
}
