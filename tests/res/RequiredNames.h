#pragma once
// What the program looks up in the install folder's data, in one place: skin files and the
// controls it finds in them, language sections and keys, pictures it names in code, and the
// configuration keys with their factory values. New pages add their names here.

#include <string>
#include <vector>

struct RequiredSkin {
    std::string file;
    // "Name" or "Tag:Name" when the control must also be of that kind.
    std::vector<std::string> controls;
};

struct LanguageKey {
    std::string section;
    std::string key;
};

struct ConfigDefault {
    std::string section;
    std::string key;
    std::string value;
};

const std::vector<std::string>& LanguageFileNames();
const std::vector<std::string>& TextSections();
const std::vector<std::string>& StyleSections();
const std::vector<RequiredSkin>& RequiredSkins();
const std::vector<LanguageKey>& RequiredLanguageKeys();
// Pictures the program names in code rather than in a skin or style list.
const std::vector<std::string>& PicturesNamedInCode();
const std::vector<ConfigDefault>& ConfigDefaults();
