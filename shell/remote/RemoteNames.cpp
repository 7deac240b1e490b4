#include "RemoteNames.h"

#include <array>

namespace {

// Index = FunctionId - 1.
constexpr std::array<const char*, 6> kFunctions = {"mouse", "spotlight", "laser", "magnifier", "pen", "screenshot"};
// Index = custom action - 1.
constexpr std::array<const char*, 13> kActions = {"blank",  "video",    "audio",    "scroll",    "files",
                                                  "laser-colour", "pen-colour", "web", "shortcut", "settings",
                                                  "slideshow", "mute",  "play-pause"};

template <std::size_t N>
std::optional<int> IndexOf(const std::array<const char*, N>& names, const std::string& name)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (name == names[i])
            return static_cast<int>(i) + 1;
    }
    return std::nullopt;
}

template <std::size_t N>
std::string Joined(const std::array<const char*, N>& names)
{
    std::string text;
    for (const char* name : names)
        text += (text.empty() ? "" : ", ") + std::string(name);
    return text;
}

} // namespace

std::optional<int> FunctionIdOf(const std::string& name) { return IndexOf(kFunctions, name); }

const char* FunctionNameOf(int functionId)
{
    if (functionId < 1 || functionId > static_cast<int>(kFunctions.size()))
        return "mouse";
    return kFunctions[static_cast<std::size_t>(functionId - 1)];
}

std::optional<int> CustomActionOf(const std::string& name) { return IndexOf(kActions, name); }

std::string FunctionNames() { return Joined(kFunctions); }
std::string CustomActionNames() { return Joined(kActions); }
