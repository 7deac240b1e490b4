#include "LocaleLcid.h"

#include <cstdlib>
#include <iterator>

namespace {

struct LocaleEntry {
    std::string_view name; // "ll_CC", or "ll" for the language's main identifier
    int lcid;
};

// Every locale of the language table plus the main identifier of each language, and a few common
// languages that the table does not list (they fall back to English there, as on Windows).
constexpr LocaleEntry kLocales[] = {
    {"zh", 2052},    {"zh_CN", 2052}, {"zh_SG", 4100}, {"zh_TW", 1028}, {"zh_HK", 3076}, {"zh_MO", 5124},
    {"en", 1033},    {"en_US", 1033}, {"en_AU", 3081}, {"en_BZ", 10249}, {"en_CA", 4105}, {"en_IE", 6153},
    {"en_JM", 8201}, {"en_NZ", 5129}, {"en_ZA", 7177}, {"en_TT", 11273}, {"en_GB", 2057}, {"en_IN", 16393},
    {"en_PH", 13321}, {"en_SG", 18441},
    {"ja", 1041},    {"ja_JP", 1041}, {"ko", 1042},    {"ko_KR", 1042},  {"th", 1054},    {"th_TH", 1054},
    {"vi", 1066},    {"vi_VN", 1066}, {"id", 1057},    {"id_ID", 1057},  {"ms", 1086},    {"ms_MY", 1086},
    {"ms_BN", 2110},
    {"gl", 1110},    {"gl_ES", 1110},
    {"es", 3082},    {"es_ES", 3082}, {"es_AR", 11274}, {"es_BO", 16394}, {"es_CL", 13322}, {"es_CO", 9226},
    {"es_CR", 5130}, {"es_DO", 7178}, {"es_EC", 12298}, {"es_GT", 4106}, {"es_HN", 18442}, {"es_MX", 2058},
    {"es_NI", 19466}, {"es_PA", 6154}, {"es_PE", 10250}, {"es_PR", 20490}, {"es_PY", 15370}, {"es_SV", 17418},
    {"es_UY", 14346}, {"es_VE", 8202}, {"es_US", 21514},
    {"ar", 1025},    {"ar_SA", 1025}, {"ar_IQ", 2049}, {"ar_EG", 3073}, {"ar_LY", 4097}, {"ar_DZ", 5121},
    {"ar_MA", 6145}, {"ar_TN", 7169}, {"ar_OM", 8193}, {"ar_YE", 9217}, {"ar_SY", 10241}, {"ar_JO", 11265},
    {"ar_LB", 12289}, {"ar_KW", 13313}, {"ar_AE", 14337}, {"ar_BH", 15361}, {"ar_QA", 16385},
    {"ru", 1049},    {"ru_RU", 1049}, {"ru_MD", 2073},
    {"fr", 1036},    {"fr_FR", 1036}, {"fr_BE", 2060}, {"fr_CA", 3084}, {"fr_CH", 4108}, {"fr_LU", 5132},
    {"fr_MC", 6156},
    {"it", 1040},    {"it_IT", 1040}, {"it_CH", 2064},
    {"pt", 2070},    {"pt_PT", 2070}, {"pt_BR", 1046},
    {"pl", 1045},    {"pl_PL", 1045}, {"ka", 1079},    {"ka_GE", 1079},
    {"de", 1031},    {"de_DE", 1031}, {"de_CH", 2055}, {"de_AT", 3079}, {"de_LU", 4103}, {"de_LI", 5127},
    {"nl", 1043},    {"nl_NL", 1043}, {"nl_BE", 2067},
    {"sv", 1053},    {"sv_SE", 1053}, {"da", 1030},    {"da_DK", 1030}, {"nb", 1044},    {"nb_NO", 1044},
    {"fi", 1035},    {"fi_FI", 1035}, {"cs", 1029},    {"cs_CZ", 1029}, {"tr", 1055},    {"tr_TR", 1055},
    {"uk", 1058},    {"uk_UA", 1058}, {"el", 1032},    {"el_GR", 1032}, {"he", 1037},    {"he_IL", 1037},
    {"hu", 1038},    {"hu_HU", 1038},
};

int Lookup(std::string_view name)
{
    for (const auto& entry : kLocales) {
        if (entry.name == name)
            return entry.lcid;
    }
    return 0;
}

} // namespace

int LcidFromLocaleName(std::string_view locale)
{
    // "ll_CC.codeset@modifier": only language and country matter. Some desktops write "ll-CC".
    std::string name(locale.substr(0, locale.find_first_of(".@")));
    for (char& c : name) {
        if (c == '-')
            c = '_';
    }
    if (const int lcid = Lookup(name))
        return lcid;
    if (const int lcid = Lookup(std::string_view(name).substr(0, name.find('_'))))
        return lcid;
    return kLcidEnglishUs;
}

std::string UserMessageLocale()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return {};
}
