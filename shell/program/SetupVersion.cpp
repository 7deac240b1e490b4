#include "SetupVersion.h"

#include <filesystem>
#include <fstream>

std::string ReadSetupVersion(const std::string& installFolder)
{
    std::ifstream in(std::filesystem::path(installFolder) / "SetupVersion.txt", std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line))
        return {};
    // A UTF-8 byte-order mark and a Windows line end are not part of the version.
    if (line.rfind("\xEF\xBB\xBF", 0) == 0)
        line.erase(0, 3);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    return line;
}
