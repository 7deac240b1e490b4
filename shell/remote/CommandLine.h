#pragma once
// `Orvelle --command ARG...`: requests to the running program, one per argument (two for get and
// set), carried out in order; the first that fails ends the run. It takes no single-instance lock
// and starts no window.

#include "IRemoteChannel.h"

#include <cstdio>
#include <string>
#include <vector>

namespace CommandLine {

// Exit codes.
constexpr int kDone = 0;
constexpr int kFailed = 1;      // the program answered with something unexpected
constexpr int kBadCommand = 2;  // a command or value the program does not take
constexpr int kNoInstance = 3;  // no program runs (or no session bus)

// The first argument asks for this mode: "--command" or "--help".
bool IsCommandLine(int argc, char** argv);

struct Parsed {
    std::vector<platform::RemoteRequest> requests;
    bool help = false;
    std::string error;  // set: a bad command, nothing is sent
};
// `args`: what follows "--command".
Parsed Parse(const std::vector<std::string>& args);

std::string Help();

// Parses and runs `argv` (the program's whole command line); answers go to `out`, one line each,
// failures to `err`. Returns the exit code.
int Run(int argc, char** argv, platform::IRemoteChannel& channel, std::FILE* out, std::FILE* err);

} // namespace CommandLine
