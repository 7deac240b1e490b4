// The fatal-signal handler.

#include "CrashReporter.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr size_t kPathMax = 1024;
constexpr size_t kTextMax = 256;
constexpr int kMaxArgs = 8;
constexpr int kMaxFrames = 64;

// Everything the handler reads, fixed in size so it never allocates.
struct HandlerData {
    char appName[kTextMax];
    char version[kTextMax];
    char folder[kPathMax];
    char executable[kPathMax];
    char argStore[kMaxArgs][kTextMax];
    char* argv[kMaxArgs + 2];
    bool restart;
    time_t startTime;
    int guardSeconds;
    bool startedByRestart;
};

HandlerData g_data;
// Two slots for the log path: the writer fills the idle one, then flips the index.
char g_logPath[2][kPathMax];
std::atomic<int> g_logSlot{0};
std::atomic<bool> g_installed{false};
std::atomic<bool> g_inHandler{false};
struct sigaction g_previous[kSignalCount];
std::unique_ptr<char[]> g_altStack;

void Copy(char* dest, size_t size, const std::string& text)
{
    const size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
}

// Async-signal-safe output helpers.
void Put(int fd, const char* text)
{
    size_t len = std::strlen(text);
    while (len > 0) {
        const ssize_t n = write(fd, text, len);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            return;
        }
        text += n;
        len -= static_cast<size_t>(n);
    }
}

// Writes `value` with at least `width` digits (zero-padded) into `out`; returns the end.
char* Digits(char* out, long value, int width)
{
    char tmp[24];
    int n = 0;
    const bool negative = value < 0;
    unsigned long v = negative ? static_cast<unsigned long>(-value) : static_cast<unsigned long>(value);
    do {
        tmp[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0 && n < 20);
    while (n < width && n < 20)
        tmp[n++] = '0';
    if (negative)
        *out++ = '-';
    while (n > 0)
        *out++ = tmp[--n];
    *out = '\0';
    return out;
}

// UTC civil date of a day count (days since 1970-01-01), without any library call.
void CivilFromDays(long z, long& y, long& m, long& d)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = yoe + era * 400;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2)
        ++y;
}

// "YYYYMMDD-HHMMSS" (compact) or "YYYY-MM-DD HH:MM:SS UTC".
void FormatTime(char* out, time_t t, bool compact)
{
    long y, m, d;
    CivilFromDays(static_cast<long>(t / 86400), y, m, d);
    const long s = static_cast<long>(t % 86400);
    char* p = Digits(out, y, 4);
    if (!compact)
        *p++ = '-';
    p = Digits(p, m, 2);
    if (!compact)
        *p++ = '-';
    p = Digits(p, d, 2);
    *p++ = compact ? '-' : ' ';
    p = Digits(p, s / 3600, 2);
    if (!compact)
        *p++ = ':';
    p = Digits(p, s / 60 % 60, 2);
    if (!compact)
        *p++ = ':';
    p = Digits(p, s % 60, 2);
    if (!compact) {
        const char utc[] = " UTC";
        std::memcpy(p, utc, sizeof utc);
    }
}

const char* SignalName(int sig)
{
    switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGABRT: return "SIGABRT";
    default: return "signal";
    }
}

void WriteReport(int sig, time_t now)
{
    char stamp[32];
    FormatTime(stamp, now, true);
    char pid[24];
    Digits(pid, static_cast<long>(getpid()), 1);
    char path[kPathMax + 96];
    char* p = path;
    const auto append = [&](const char* text) {
        const size_t n = std::strlen(text);
        if (static_cast<size_t>(p - path) + n < sizeof path) {
            std::memcpy(p, text, n);
            p += n;
        }
        *p = '\0';
    };
    append(g_data.folder);
    append("/");
    append(CrashReporter::kReportPrefix);
    append(stamp);
    append("-");
    append(pid);
    append(".txt");

    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int out = fd >= 0 ? fd : STDERR_FILENO;
    char when[40];
    FormatTime(when, now, false);
    char number[24];
    Digits(number, sig, 1);
    Put(out, "Crash report\nApplication: ");
    Put(out, g_data.appName);
    Put(out, "\nVersion: ");
    Put(out, g_data.version);
    Put(out, "\nTime: ");
    Put(out, when);
    Put(out, "\nProcess: ");
    Put(out, pid);
    Put(out, "\nSignal: ");
    Put(out, SignalName(sig));
    Put(out, " (");
    Put(out, number);
    Put(out, ")\nLog file: ");
    Put(out, g_logPath[g_logSlot.load(std::memory_order_acquire)]);
    Put(out, "\nBacktrace:\n");
    void* frames[kMaxFrames];
    const int count = backtrace(frames, kMaxFrames);
    backtrace_symbols_fd(frames, count, out);
    Put(out, "End of report\n");
    if (fd >= 0) {
        fsync(fd);
        close(fd);
        Put(STDERR_FILENO, "Crash report written to ");
        Put(STDERR_FILENO, path);
        Put(STDERR_FILENO, "\n");
    }
}

void Die(int sig)
{
    signal(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
    _exit(128 + sig);
}

void OnFatalSignal(int sig)
{
    // A second fault, in the handler or on another thread, ends the process at once.
    if (g_inHandler.exchange(true))
        Die(sig);
    const time_t now = time(nullptr);
    WriteReport(sig, now);

    const bool looping = g_data.startedByRestart && now - g_data.startTime < g_data.guardSeconds;
    if (g_data.restart && !looping) {
        // The new image inherits the signal mask: let it see its own faults.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execve(g_data.executable, g_data.argv, environ);
        Put(STDERR_FILENO, "Crash reporter: restart failed\n");
    } else if (g_data.restart) {
        Put(STDERR_FILENO, "Crash reporter: crashed again right after a restart, not restarting\n");
    }
    Die(sig);
}

} // namespace

int CrashReporter::Install(const CrashReporterSetup& setup, std::string* error)
{
    const auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return 1;
    };
    if (setup.reportFolder.empty())
        return fail("crash reporter: no report folder");
    if (mkdir(setup.reportFolder.c_str(), 0700) != 0 && errno != EEXIST)
        return fail("crash reporter: cannot create " + setup.reportFolder + ": " + std::strerror(errno));
    if (setup.reportFolder.size() >= kPathMax || setup.executable.size() >= kPathMax ||
        static_cast<int>(setup.restartArgs.size()) > kMaxArgs)
        return fail("crash reporter: path or argument list too long");

    Uninstall();
    Copy(g_data.appName, kTextMax, setup.appName);
    Copy(g_data.version, kTextMax, setup.version);
    Copy(g_data.folder, kPathMax, setup.reportFolder);
    Copy(g_data.executable, kPathMax, setup.executable);
    g_data.restart = !setup.executable.empty();
    g_data.argv[0] = g_data.executable;
    int argc = 1;
    for (const auto& arg : setup.restartArgs) {
        Copy(g_data.argStore[argc - 1], kTextMax, arg);
        g_data.argv[argc] = g_data.argStore[argc - 1];
        ++argc;
    }
    g_data.argv[argc] = nullptr;
    g_data.startTime = time(nullptr);
    g_data.guardSeconds = setup.restartGuardSeconds;
    g_data.startedByRestart = setup.startedByRestart;

    // backtrace loads its unwinder on first use, which must not happen inside the handler.
    void* warm[2];
    backtrace(warm, 2);

    // A stack overflow leaves no stack for the handler: give the installing thread another one.
    if (!g_altStack) {
        const size_t size = 64 * 1024;
        g_altStack = std::make_unique<char[]>(size);
        stack_t ss{};
        ss.ss_sp = g_altStack.get();
        ss.ss_size = size;
        if (sigaltstack(&ss, nullptr) != 0)
            return fail(std::string("crash reporter: sigaltstack: ") + std::strerror(errno));
    }

    struct sigaction sa {};
    sa.sa_handler = OnFatalSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_ONSTACK;
    for (int i = 0; i < kSignalCount; ++i) {
        if (sigaction(kSignals[i], &sa, &g_previous[i]) != 0) {
            const std::string why = std::string("crash reporter: sigaction: ") + std::strerror(errno);
            for (int j = 0; j < i; ++j)
                sigaction(kSignals[j], &g_previous[j], nullptr);
            return fail(why);
        }
    }
    g_installed = true;
    return 0;
}

void CrashReporter::Uninstall()
{
    if (!g_installed.exchange(false))
        return;
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
}

bool CrashReporter::IsInstalled()
{
    return g_installed;
}

void CrashReporter::Raise(int sig) { std::raise(sig); }

void CrashReporter::SetLogFilePath(const std::string& path)
{
    static std::atomic<int> writers{0};
    // Writers are rare (log opening on the UI thread); serialise them cheaply.
    while (writers.exchange(1) != 0) {
    }
    const int next = 1 - g_logSlot.load(std::memory_order_relaxed);
    Copy(g_logPath[next], kPathMax, path);
    g_logSlot.store(next, std::memory_order_release);
    writers.store(0);
}

} // namespace platform
