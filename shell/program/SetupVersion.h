#pragma once
// The product version shipped beside the executable in SetupVersion.txt.

#include <string>

// The first line of "<folder>/SetupVersion.txt" without its line end; empty when the file is
// missing or empty.
std::string ReadSetupVersion(const std::string& installFolder);
