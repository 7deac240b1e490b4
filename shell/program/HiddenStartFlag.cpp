#include "HiddenStartFlag.h"

#include <cstring>

bool IsHiddenStartCommandLine(int argc, const char* const* argv)
{
    return argc == 2 && argv != nullptr && argv[1] != nullptr && std::strcmp(argv[1], kHideWindowsArg) == 0;
}
