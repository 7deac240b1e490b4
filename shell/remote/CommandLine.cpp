#include "CommandLine.h"

#include "CSettingAccess.h"
#include "RemoteNames.h"

#include <charconv>
#include <cstring>
#include <optional>

namespace CommandLine {

namespace {

using platform::RemoteRequest;

constexpr const char* kCommandFlag = "--command";
constexpr const char* kHelpFlag = "--help";

std::optional<int> Int(std::string_view text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

// "SECTION.KEY" split at its first dot; both parts non-empty.
std::optional<std::pair<std::string, std::string>> SectionKey(const std::string& text)
{
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == text.size())
        return std::nullopt;
    return std::pair{text.substr(0, dot), text.substr(dot + 1)};
}

// One command, or an error; `next` is the argument after it, which get and set take.
struct Step {
    std::optional<RemoteRequest> request;
    std::string error;
    bool usedNext = false;
};

Step ParseOne(const std::string& arg, const std::string* next)
{
    const std::size_t eq = arg.find('=');
    const std::string word = arg.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : arg.substr(eq + 1);
    const bool hasValue = eq != std::string::npos;
    const auto plain = [&](const char* method) -> Step {
        if (hasValue)
            return {std::nullopt, "\"" + word + "\" takes no value", false};
        return {RemoteRequest{method, {}}, {}, false};
    };
    const auto toggle = [&](const char* method) -> Step {
        if (value != "toggle")
            return {std::nullopt, "\"" + word + "\" takes \"toggle\"", false};
        return {RemoteRequest{method, {}}, {}, false};
    };

    if (word == "function") {
        if (!FunctionIdOf(value))
            return {std::nullopt, "function=NAME takes one of " + FunctionNames(), false};
        return {RemoteRequest{"SelectFunction", {value}}, {}, false};
    }
    if (word == "play")
        return plain("Play");
    if (word == "stop")
        return plain("Stop");
    if (word == "quit")
        return plain("Quit");
    if (word == "status")
        return plain("Status");
    if (word == "move") {
        const std::size_t comma = value.find(',');
        const std::optional<int> dx = comma == std::string::npos ? std::nullopt : Int(std::string_view(value).substr(0, comma));
        const std::optional<int> dy = comma == std::string::npos ? std::nullopt : Int(std::string_view(value).substr(comma + 1));
        if (!dx || !dy)
            return {std::nullopt, "move=DX,DY takes two whole numbers", false};
        return {RemoteRequest{"Move", {*dx, *dy}}, {}, false};
    }
    if (word == "blank")
        return toggle("ToggleBlankScreen");
    if (word == "slideshow")
        return toggle("ToggleSlideShow");
    if (word == "action") {
        if (!CustomActionOf(value))
            return {std::nullopt, "action=NAME takes one of " + CustomActionNames(), false};
        return {RemoteRequest{"RunAction", {value}}, {}, false};
    }
    if (word == "settings") {
        if (value == "show")
            return {RemoteRequest{"ShowSettings", {}}, {}, false};
        if (value == "hide")
            return {RemoteRequest{"HideSettings", {}}, {}, false};
        return {std::nullopt, "settings= takes \"show\" or \"hide\"", false};
    }
    if (word == "get" && !hasValue) {
        const auto name = next != nullptr ? SectionKey(*next) : std::nullopt;
        if (!name)
            return {std::nullopt, "get takes SECTION.KEY", false};
        return {RemoteRequest{"GetSetting", {name->first, name->second}}, {}, true};
    }
    if (word == "set" && !hasValue) {
        const std::size_t at = next != nullptr ? next->find('=') : std::string::npos;
        const auto name = at != std::string::npos ? SectionKey(next->substr(0, at)) : std::nullopt;
        if (!name)
            return {std::nullopt, "set takes SECTION.KEY=VALUE", false};
        return {RemoteRequest{"SetSetting", {name->first, name->second, next->substr(at + 1)}}, {}, true};
    }
    return {std::nullopt, "unknown command \"" + arg + "\" (Orvelle --help lists them)", false};
}

} // namespace

bool IsCommandLine(int argc, char** argv)
{
    return argc >= 2 && argv[1] != nullptr && (std::strcmp(argv[1], kCommandFlag) == 0 || std::strcmp(argv[1], kHelpFlag) == 0);
}

Parsed Parse(const std::vector<std::string>& args)
{
    Parsed parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == kHelpFlag) {
            parsed.help = true;
            continue;
        }
        const Step step = ParseOne(args[i], i + 1 < args.size() ? &args[i + 1] : nullptr);
        if (!step.request) {
            parsed.error = step.error;
            parsed.requests.clear();
            return parsed;
        }
        parsed.requests.push_back(*step.request);
        if (step.usedNext)
            ++i;
    }
    if (parsed.requests.empty() && !parsed.help)
        parsed.error = "--command needs a command (Orvelle --help lists them)";
    return parsed;
}

std::string Help()
{
    return "Usage: Orvelle --command COMMAND...\n"
           "Drives the Orvelle that runs for this user (over the session bus) and exits.\n"
           "Commands, carried out in order:\n"
           "  function=NAME          select a function: " + FunctionNames() + "\n"
           "  play                   start it, as pressing the do key does (at the screen's centre)\n"
           "  stop                   stop it, as releasing the do key does (the pen stays until the next function)\n"
           "  move=DX,DY             move the shown function by DX,DY (the remote's motion)\n"
           "  blank=toggle           show or hide the blank screen\n"
           "  slideshow=toggle       start or leave the presentation program's slide show\n"
           "  action=NAME            run a custom action: " + CustomActionNames() + "\n"
           "  settings=show|hide     show or hide the settings window\n"
           "  quit                   end Orvelle\n"
           "  status                 one line of JSON: connected, deviceType, link, function, shown, status\n"
           "  get SECTION.KEY        print a setting\n"
           "  set SECTION.KEY=VALUE  change a setting, with the settings window's limits\n"
           "Settings:\n" + CSettingAccess::KeyList() +
           "Exit codes: 0 done, 2 bad command or value, 3 Orvelle does not run, 1 other failure.\n";
}

int Run(int argc, char** argv, platform::IRemoteChannel& channel, std::FILE* out, std::FILE* err)
{
    std::vector<std::string> args;
    for (int i = 2; i < argc; ++i)
        args.emplace_back(argv[i] != nullptr ? argv[i] : "");
    if (argc >= 2 && std::strcmp(argv[1], kHelpFlag) == 0)
        args.insert(args.begin(), kHelpFlag);
    const Parsed parsed = Parse(args);
    if (parsed.help) {
        std::fputs(Help().c_str(), out);
        return kDone;
    }
    if (!parsed.error.empty()) {
        std::fprintf(err, "Orvelle: %s\n", parsed.error.c_str());
        return kBadCommand;
    }
    for (const platform::RemoteRequest& request : parsed.requests) {
        const platform::RemoteReply reply = channel.Call(request);
        switch (reply.kind) {
        case platform::RemoteReply::Kind::Done:
            if (request.method == "Status" || request.method == "GetSetting")
                std::fprintf(out, "%s\n", reply.text.c_str());
            break;
        case platform::RemoteReply::Kind::Refused:
            std::fprintf(err, "Orvelle: %s\n", reply.text.c_str());
            return kBadCommand;
        case platform::RemoteReply::Kind::NoInstance:
            std::fprintf(err, "Orvelle: no Orvelle runs for this user\n");
            return kNoInstance;
        case platform::RemoteReply::Kind::Failed:
            std::fprintf(err, "Orvelle: %s failed: %s\n", request.method.c_str(), reply.text.c_str());
            return kFailed;
        }
    }
    return kDone;
}

} // namespace CommandLine
