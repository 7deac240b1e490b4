#include "LanguageConfig.h"
#include "LocaleLcid.h"

#include "PoolFixture.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>

namespace {

// Sets or clears environment variables for one test and puts the old values back.
class ScopedEnv {
public:
    void Set(const char* name, const char* value)
    {
        if (!m_saved.contains(name)) {
            const char* old = std::getenv(name);
            m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> m_saved;
};

int IndexForLocale(const char* locale) { return CLanguageConfig::LanguageIndexForLcid(LcidFromLocaleName(locale)); }

} // namespace

TEST(LanguageChoice, LocaleIdentifiersSelectTheirRow)
{
    EXPECT_EQ(CLanguageConfig::LanguageIndexForLcid(3082), 10);
    EXPECT_EQ(CLanguageConfig::LanguageIndexForLcid(1110), 10); // Galician reads Spanish
    EXPECT_EQ(CLanguageConfig::LanguageIndexForLcid(1079), 16); // Georgian reads Polish
    EXPECT_EQ(CLanguageConfig::LanguageIndexForLcid(1043), 2);  // Dutch is not listed
    EXPECT_EQ(CLanguageConfig::LanguageIndexForLcid(2052), 1);
    EXPECT_EQ(CLanguageConfig::LanguageIndexForLcid(5124), 3);
    EXPECT_EQ(CLanguageConfig::LanguageIndexForLcid(9217), 11);
    EXPECT_EQ(CLanguageConfig::LanguageIndexForLcid(1031), 17);
    EXPECT_EQ(CLanguageConfig::LanguageIndexForLcid(0), 2);

    EXPECT_STREQ(CLanguageConfig::LanguageFile(2), "ImgRes/language/english.ini");
    EXPECT_STREQ(CLanguageConfig::LanguageFile(1), "ImgRes/language/simplified_chinese.ini");
    EXPECT_STREQ(CLanguageConfig::LanguageFile(9), "ImgRes/language/Malaysian.ini");
    EXPECT_STREQ(CLanguageConfig::LanguageFile(17), "ImgRes/language/German.ini");
    EXPECT_EQ(CLanguageConfig::LanguageFile(0), nullptr);
    EXPECT_EQ(CLanguageConfig::LanguageFile(18), nullptr);
}

TEST(LanguageChoice, LinuxLocaleNamesMapThroughTheWindowsIdentifier)
{
    EXPECT_EQ(LcidFromLocaleName("es_ES.UTF-8"), 3082);
    EXPECT_EQ(IndexForLocale("es_ES.UTF-8"), 10);
    EXPECT_EQ(IndexForLocale("es_MX"), 10);
    EXPECT_EQ(IndexForLocale("gl_ES.UTF-8"), 10);
    EXPECT_EQ(IndexForLocale("pl_PL"), 16);
    EXPECT_EQ(IndexForLocale("ka_GE.UTF-8"), 16);
    EXPECT_EQ(IndexForLocale("zh_TW.UTF-8"), 3);
    EXPECT_EQ(IndexForLocale("zh_CN.GB18030"), 1);
    EXPECT_EQ(IndexForLocale("pt_BR"), 15);
    EXPECT_EQ(IndexForLocale("ar_EG"), 11);
    EXPECT_EQ(IndexForLocale("ja_JP.eucJP"), 4);
    EXPECT_EQ(IndexForLocale("ru_RU.KOI8-R"), 12);
    EXPECT_EQ(IndexForLocale("fr_CA@euro"), 13);
    EXPECT_EQ(IndexForLocale("de_DE"), 17);
    EXPECT_EQ(LcidFromLocaleName("en-GB"), 2057);
    // A country the table does not know takes its language's main identifier.
    EXPECT_EQ(LcidFromLocaleName("fr_SN.UTF-8"), 1036);
    EXPECT_EQ(LcidFromLocaleName("it"), 1040);
    // Identifiers outside the table read English, as they do on Windows.
    EXPECT_EQ(LcidFromLocaleName("de_AT.UTF-8"), 3079);
    EXPECT_EQ(IndexForLocale("de_AT.UTF-8"), 2);
    EXPECT_EQ(IndexForLocale("nl_NL.UTF-8"), 2);
    EXPECT_EQ(IndexForLocale("sr_RS@latin"), 2);
    EXPECT_EQ(LcidFromLocaleName("C"), kLcidEnglishUs);
    EXPECT_EQ(LcidFromLocaleName("POSIX"), kLcidEnglishUs);
    EXPECT_EQ(LcidFromLocaleName(""), kLcidEnglishUs);
}

TEST(LanguageChoice, MessageLocaleFollowsThePosixPrecedence)
{
    ScopedEnv env;
    env.Set("LC_ALL", "");
    env.Set("LC_MESSAGES", "pl_PL.UTF-8");
    env.Set("LANG", "de_DE.UTF-8");
    EXPECT_EQ(UserMessageLocale(), "pl_PL.UTF-8");
    env.Set("LC_ALL", "pt_BR");
    EXPECT_EQ(UserMessageLocale(), "pt_BR");
    env.Set("LC_ALL", nullptr);
    env.Set("LC_MESSAGES", nullptr);
    EXPECT_EQ(UserMessageLocale(), "de_DE.UTF-8");
    env.Set("LANG", nullptr);
    EXPECT_EQ(UserMessageLocale(), "");

    env.Set("LANG", "es_AR.UTF-8");
    CLanguageConfig language;
    language.Init();
    EXPECT_EQ(language.GetSelLanguage(), 10);
    EXPECT_EQ(language.GetLanguagePath(), "ImgRes/language/Spanish.ini");
}

class LanguageLookup : public PoolFixture {
protected:
    void SetUp() override
    {
        PoolFixture::SetUp();
        std::filesystem::create_directories(dir.path() / "ImgRes/language");
        language.SetBaseFolder(dir.path().string());
    }
    void WriteLanguage(const std::string& file, const std::string& content)
    {
        WriteWholeFile((dir.path() / "ImgRes/language" / file).string(), content);
    }

    TempDir dir;
    CLanguageConfig language;
};

TEST_F(LanguageLookup, InitLogsTheIdentifierAndTheIndex)
{
    MemorySink sink;
    ASSERT_EQ(StartLogWriter(&sink), 0);
    WriteLanguage("Spanish.ini", "[reset]\nfun_set_reset_alert_sure=Sí\n");
    language.InitFromLcid(3082);
    language.InitFromLcid(1079); // Polish.ini is missing: said once, texts empty
    CloseLogWriter();
    EXPECT_NE(sink.Text().find("CLanguageConfig::Init language:3082 m_nSelLanguage:10\r\n"), std::string::npos);
    EXPECT_NE(sink.Text().find("CLanguageConfig::Init language:1079 m_nSelLanguage:16\r\n"), std::string::npos);
    EXPECT_NE(sink.Text().find("Polish.ini missing"), std::string::npos);
    EXPECT_EQ(sink.Text().find("Spanish.ini missing"), std::string::npos);
    EXPECT_EQ(language.GetText("reset", "fun_set_reset_alert_sure"), "");
}

TEST_F(LanguageLookup, TextsComeFromTheChosenFileEveryTime)
{
    WriteLanguage("Spanish.ini", "\xEF\xBB\xBF// textos\n[reset]\r\n"
                                 "fun_set_reset_alert_sure = Sí, restaurar\r\n"
                                 "fun_set_reset_alert_cancel=Cancelar\r\n"
                                 "\r\n"
                                 "fun_set_reset_alert_message1=after the gap\r\n"
                                 "[main_style]\nbtn = pos=\"10,10,20,20\" normalimage=\"file='a.png'\"\n"
                                 "[other]\nbad=\xC3\x28\nnul=a\n");
    language.InitFromLcid(3082);
    EXPECT_EQ(language.GetText("reset", "fun_set_reset_alert_sure"), "Sí, restaurar");
    EXPECT_EQ(language.GetText("reset", "fun_set_reset_alert_cancel"), "Cancelar");
    EXPECT_EQ(language.GetText("reset", "fun_set_reset_alert_message1"), "");
    EXPECT_EQ(language.GetText("main_style", "btn"), "pos=\"10,10,20,20\" normalimage=\"file='a.png'\"");
    EXPECT_EQ(language.GetText("other", "bad"), "");
    EXPECT_EQ(language.GetText("other", "nul"), "a");
    EXPECT_EQ(language.GetText("missing", "x"), "");

    // Nothing is cached: a changed file shows at the next lookup.
    WriteLanguage("Spanish.ini", "[reset]\nfun_set_reset_alert_cancel=No\n");
    EXPECT_EQ(language.GetText("reset", "fun_set_reset_alert_cancel"), "No");
    WriteLanguage("Spanish.ini", std::string("\0\0\0\xff\xfe", 5));
    EXPECT_EQ(language.GetText("reset", "fun_set_reset_alert_cancel"), "");
}
