#pragma once
// Starting a program that must outlive its starter: the launcher's way to start the main program.

#include <string>
#include <vector>

namespace platform {

// Starts `program` (a full path, no PATH search) with `args` in a new session, with an empty
// signal mask, the default dispositions of the stop signals, SIGCHLD and SIGPIPE, and none of
// the caller's descriptors beyond 0 to 2 (its log file and instance lock stay with it). Nobody
// waits for the child: the caller ignores SIGCHLD so the kernel reaps it. The child's id, or -1
// with errno set when it could not be started.
int StartInNewSession(const std::string& program, const std::vector<std::string>& args);

} // namespace platform
