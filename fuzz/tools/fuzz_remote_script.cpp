// Arbitrary text as a virtual remote script: parsed or refused with a message, never a crash.

#include "RemoteScript.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<RemoteStep> steps;
    std::string error;
    const bool ok = ParseRemoteScript(std::string(reinterpret_cast<const char*>(data), size), &steps, &error);
    if (!ok && error.empty())
        std::abort();
    for (const RemoteStep& step : steps) {
        if (step.kind == RemoteStep::Kind::Report && (step.report.empty() || step.report.size() > 64))
            std::abort();
    }
    return 0;
}
