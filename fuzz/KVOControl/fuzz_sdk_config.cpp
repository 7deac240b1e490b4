// SDKConfig.ini is edited by hand: any bytes must parse without a crash.

#include "KVOSDKConfig.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    KVOSDKConfig::Parse(in);
    return 0;
}
