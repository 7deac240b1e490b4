#pragma once
// Fatal-signal handling: on SIGSEGV, SIGBUS, SIGFPE, SIGILL or SIGABRT a short report (time,
// application and version, signal, backtrace, the log file then in use) is written into the log
// folder, and the program is started again in the same process with the restart argument.
//
// The handler only uses async-signal-safe calls; everything it needs is prepared at Install.

#include <string>
#include <vector>

namespace platform {

struct CrashReporterSetup {
    std::string appName;
    std::string version;        // may be empty
    std::string reportFolder;   // created at Install when missing
    std::string executable;     // empty: no restart
    std::vector<std::string> restartArgs;  // after the executable, e.g. {"/restart"}
    // A program that was itself restarted and crashes again within this time is not restarted
    // once more, so a crash during start-up does not loop for ever.
    int restartGuardSeconds = 30;
    bool startedByRestart = false;
};

class CrashReporter {
public:
    // 0 success, 1 failure with the reason in `error`. Installing again replaces the setup.
    static int Install(const CrashReporterSetup& setup, std::string* error);
    // Puts the previous handlers back.
    static void Uninstall();
    static bool IsInstalled();
    // The log file named in reports; any thread.
    static void SetLogFilePath(const std::string& path);
    // Raises signal `sig` in the calling thread, as a fault would (the crash tests).
    static void Raise(int sig);
    // "crash-" prefix of the report files in the report folder.
    static constexpr const char* kReportPrefix = "crash-";
};

} // namespace platform
