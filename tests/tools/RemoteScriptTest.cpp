// The virtual remote's script language: what each line turns into, and what it refuses.

#include "RemoteScript.h"

#include <gtest/gtest.h>

using Bytes = std::vector<uint8_t>;
using Kind = RemoteStep::Kind;

TEST(RemoteScript, LinesBecomeReportsWaitsAndPlugSteps)
{
    std::vector<RemoteStep> steps;
    std::string error;
    ASSERT_TRUE(ParseRemoteScript("# presenter comes online\n"
                                  "report 0x83 2 -5 127 1  # page down, moving\n"
                                  "\n"
                                  "raw 0a 0xD5 ff\n"
                                  "wait 250\n"
                                  "unplug\nplug\n",
                                  &steps, &error))
        << error;
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0].kind, Kind::Report);
    EXPECT_EQ(steps[0].report, Bytes({0x0A, 0x83, 0, 0, 0x02, 0, 0xFB, 0x7F, 0x01, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(steps[0].line, 2);
    EXPECT_EQ(steps[1].report, Bytes({0x0A, 0xD5, 0xFF}));
    EXPECT_EQ(steps[2].kind, Kind::Wait);
    EXPECT_EQ(steps[2].ms, 250u);
    EXPECT_EQ(steps[3].kind, Kind::Unplug);
    EXPECT_EQ(steps[4].kind, Kind::Plug);
}

TEST(RemoteScript, RepeatsUnrollAndNest)
{
    std::vector<RemoteStep> steps;
    std::string error;
    ASSERT_TRUE(ParseRemoteScript("repeat 2 {\n report 3 0\n repeat 3 {\n  wait 1\n }\n}\nrepeat 0 {\n wait 9\n}\n",
                                  &steps, &error))
        << error;
    ASSERT_EQ(steps.size(), 8u);
    EXPECT_EQ(steps[0].kind, Kind::Report);
    EXPECT_EQ(steps[3].kind, Kind::Wait);
    EXPECT_EQ(steps[4].kind, Kind::Report);
    EXPECT_EQ(steps[7].ms, 1u);
}

TEST(RemoteScript, ErrorsNameTheLine)
{
    const std::pair<const char*, const char*> bad[] = {
        {"report 3\n", "line 1: expected 'report"},
        {"wait 5\nreport 256 0\n", "line 2: bad value '256'"},
        {"report 3 0 -129\n", "line 1: bad value '-129'"},
        {"raw 0A 1G\n", "line 1: bad byte '1G'"},
        {"raw 0A 100\n", "line 1: bad byte '100'"},
        {"raw\n", "line 1: expected 'raw'"},
        {"repeat 2 {\nwait 1\n", "line 2: 'repeat' without '}'"},
        {"}\n", "line 1: '}' without 'repeat'"},
        {"repeat x {\n}\n", "line 1: expected 'repeat <count> {'"},
        {"jump 3\n", "line 1: unknown command 'jump'"},
        {"wait -1\n", "line 1: expected 'wait <ms>'"},
        {"repeat 1000000 {\nrepeat 1000000 {\n}\n}\n", "too long"},
        {"repeat 1000000 {\nrepeat 1000000 {\nwait 1\n}\n}\n", "more than"},
    };
    for (const auto& [text, message] : bad) {
        std::vector<RemoteStep> steps;
        std::string error;
        EXPECT_FALSE(ParseRemoteScript(text, &steps, &error)) << text;
        EXPECT_NE(error.find(message), std::string::npos) << text << " -> " << error;
    }
}
