#include "CommandLine.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using platform::RemoteReply;
using platform::RemoteRequest;

std::string Describe(const RemoteRequest& request)
{
    std::string text = request.method;
    for (const auto& arg : request.args)
        text += " " + (std::holds_alternative<int>(arg) ? std::to_string(std::get<int>(arg)) : std::get<std::string>(arg));
    return text;
}

std::vector<std::string> Requests(const std::vector<std::string>& args)
{
    const CommandLine::Parsed parsed = CommandLine::Parse(args);
    EXPECT_EQ(parsed.error, "");
    std::vector<std::string> described;
    for (const RemoteRequest& request : parsed.requests)
        described.push_back(Describe(request));
    return described;
}

std::string ErrorOf(const std::vector<std::string>& args)
{
    const CommandLine::Parsed parsed = CommandLine::Parse(args);
    EXPECT_TRUE(parsed.requests.empty());
    return parsed.error;
}

// Answers each request with the next reply, and keeps what it was asked.
class ScriptedChannel final : public platform::IRemoteChannel {
public:
    explicit ScriptedChannel(std::vector<RemoteReply> replies) : m_replies(std::move(replies)) {}
    RemoteReply Call(const RemoteRequest& request) override
    {
        asked.push_back(Describe(request));
        if (m_next >= m_replies.size())
            return {RemoteReply::Kind::Done, {}};
        return m_replies[m_next++];
    }
    std::vector<std::string> asked;

private:
    std::vector<RemoteReply> m_replies;
    std::size_t m_next = 0;
};

struct RunResult {
    int code;
    std::string out;
    std::string err;
};

RunResult RunWith(std::vector<std::string> args, platform::IRemoteChannel& channel)
{
    args.insert(args.begin(), "Orvelle");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    char* outText = nullptr;
    char* errText = nullptr;
    std::size_t outSize = 0;
    std::size_t errSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    std::FILE* err = open_memstream(&errText, &errSize);
    const int code = CommandLine::Run(static_cast<int>(argv.size()), argv.data(), channel, out, err);
    std::fclose(out);
    std::fclose(err);
    RunResult result{code, outText, errText};
    std::free(outText);
    std::free(errText);
    return result;
}

} // namespace

TEST(CommandLineParse, EveryCommandBecomesItsRequestInOrder)
{
    EXPECT_EQ(Requests({"function=spotlight", "play", "move=-12,30", "stop", "blank=toggle", "slideshow=toggle",
                        "action=laser-colour", "settings=show", "settings=hide", "status", "get", "FunSet_Postil.LineSize",
                        "set", "CustomKey.weburl=http://a/b=c", "quit"}),
              (std::vector<std::string>{"SelectFunction spotlight", "Play", "Move -12 30", "Stop", "ToggleBlankScreen",
                                        "ToggleSlideShow", "RunAction laser-colour", "ShowSettings", "HideSettings",
                                        "Status", "GetSetting FunSet_Postil LineSize",
                                        "SetSetting CustomKey weburl http://a/b=c", "Quit"}));
}

TEST(CommandLineParse, BadCommandsAndValuesAreRefusedBeforeAnythingIsSent)
{
    EXPECT_EQ(ErrorOf({"play", "jump"}), "unknown command \"jump\" (Orvelle --help lists them)");
    EXPECT_NE(ErrorOf({"function=torch"}).find("spotlight, laser"), std::string::npos);
    EXPECT_NE(ErrorOf({"action=explode"}).find("play-pause"), std::string::npos);
    for (const char* move : {"move=1", "move=1,", "move=,2", "move=a,b", "move=1,2,3", "move=99999999999,0"})
        EXPECT_EQ(ErrorOf({move}), "move=DX,DY takes two whole numbers") << move;
    EXPECT_EQ(ErrorOf({"play=now"}), "\"play\" takes no value");
    EXPECT_EQ(ErrorOf({"blank=on"}), "\"blank\" takes \"toggle\"");
    EXPECT_EQ(ErrorOf({"settings=open"}), "settings= takes \"show\" or \"hide\"");
    EXPECT_EQ(ErrorOf({"get"}), "get takes SECTION.KEY");
    EXPECT_EQ(ErrorOf({"get", "NoDot"}), "get takes SECTION.KEY");
    EXPECT_EQ(ErrorOf({"get", ".Key"}), "get takes SECTION.KEY");
    EXPECT_EQ(ErrorOf({"set", "A.B"}), "set takes SECTION.KEY=VALUE");
    EXPECT_EQ(ErrorOf({}), "--command needs a command (Orvelle --help lists them)");
}

TEST(CommandLineRun, ExitCodesFollowTheAnswers)
{
    ScriptedChannel answered({{RemoteReply::Kind::Done, "{\"connected\":true}"}, {RemoteReply::Kind::Done, "8"}});
    RunResult result = RunWith({"--command", "status", "get", "FunSet_Postil.LineSize", "play"}, answered);
    EXPECT_EQ(result.code, CommandLine::kDone);
    EXPECT_EQ(result.out, "{\"connected\":true}\n8\n");  // only status and get print
    EXPECT_EQ(answered.asked.size(), 3u);

    // A refusal ends the run with 2; what follows is not sent.
    ScriptedChannel refusing({{RemoteReply::Kind::Done, ""}, {RemoteReply::Kind::Refused, "FunSet_Postil.LineSize takes 4 to 10"}});
    result = RunWith({"--command", "play", "set", "FunSet_Postil.LineSize=11", "stop"}, refusing);
    EXPECT_EQ(result.code, CommandLine::kBadCommand);
    EXPECT_EQ(result.err, "Orvelle: FunSet_Postil.LineSize takes 4 to 10\n");
    EXPECT_EQ(refusing.asked, (std::vector<std::string>{"Play", "SetSetting FunSet_Postil LineSize 11"}));

    ScriptedChannel nobody({{RemoteReply::Kind::NoInstance, "The name is not activatable"}});
    EXPECT_EQ(RunWith({"--command", "status"}, nobody).code, CommandLine::kNoInstance);
    ScriptedChannel broken({{RemoteReply::Kind::Failed, "timeout"}});
    EXPECT_EQ(RunWith({"--command", "status"}, broken).code, CommandLine::kFailed);

    // A bad command reaches nobody.
    ScriptedChannel untouched({});
    EXPECT_EQ(RunWith({"--command", "function=torch"}, untouched).code, CommandLine::kBadCommand);
    EXPECT_TRUE(untouched.asked.empty());
}

TEST(CommandLineRun, HelpListsEveryCommandAndSendsNothing)
{
    ScriptedChannel untouched({});
    const RunResult result = RunWith({"--help"}, untouched);
    EXPECT_EQ(result.code, CommandLine::kDone);
    for (const char* command : {"function=NAME", "play", "stop", "move=DX,DY", "blank=toggle", "slideshow=toggle",
                                "action=NAME", "settings=show|hide", "quit", "status", "get SECTION.KEY",
                                "set SECTION.KEY=VALUE", "FunSet_Postil.LineSize"})
        EXPECT_NE(result.out.find(command), std::string::npos) << command;
    EXPECT_TRUE(untouched.asked.empty());
}
