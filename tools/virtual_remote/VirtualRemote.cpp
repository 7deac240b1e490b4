// orvelle-virtual-remote: plays a script of input reports into the virtual receiver's socket
// and records every output report the program sends back. See README.md beside this file.

#include "RemoteScript.h"
#include "VirtualReceiverServer.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

struct Options {
    std::string socketPath;
    std::string scriptPath;
    std::string recordPath;
    std::string sentPath;    // where each sent report goes with its time; empty: nowhere
    double rate = 0;         // reports per second repeated during waits; 0 off
    long durationMs = -1;    // stop after this long; -1: when the script is done (or never without one)
    bool quiet = false;
};

void Usage()
{
    std::fprintf(stderr,
                 "usage: orvelle-virtual-remote --socket PATH [--script FILE|-] [--rate N]\n"
                 "                              [--record FILE] [--sent FILE] [--duration MS] [--quiet]\n"
                 "  --socket    Unix socket the program finds through ORVELLE_VIRTUAL_RECEIVER\n"
                 "              (default: that variable)\n"
                 "  --script    reports to play once the program connects ('-' reads stdin)\n"
                 "  --rate N    while waiting, repeat the last report N times a second\n"
                 "  --record    where received frames go, one line each (default stdout)\n"
                 "  --sent      write every report sent, one line each: the monotonic clock in\n"
                 "              nanoseconds, then the report's bytes in hex\n"
                 "  --duration  stop after MS milliseconds; without it, stop when the script\n"
                 "              ends, or run until interrupted when there is no script\n");
}

bool ParseArgs(int argc, char** argv, Options* o)
{
    if (const char* env = std::getenv("ORVELLE_VIRTUAL_RECEIVER"))
        o->socketPath = env;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&](std::string* out) {
            if (i + 1 >= argc)
                return false;
            *out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--socket" && value(&o->socketPath)) {
        } else if (a == "--script" && value(&o->scriptPath)) {
        } else if (a == "--record" && value(&o->recordPath)) {
        } else if (a == "--sent" && value(&o->sentPath)) {
        } else if (a == "--rate" && value(&v)) {
            char* end = nullptr;
            o->rate = std::strtod(v.c_str(), &end);
            if (*end != '\0' || o->rate < 0 || o->rate > 10000)
                return false;
        } else if (a == "--duration" && value(&v)) {
            char* end = nullptr;
            o->durationMs = std::strtol(v.c_str(), &end, 10);
            if (*end != '\0' || o->durationMs < 0)
                return false;
        } else if (a == "--quiet") {
            o->quiet = true;
        } else {
            return false;
        }
    }
    return !o->socketPath.empty();
}

class Remote {
public:
    Remote(const Options& options, std::vector<RemoteStep> steps, std::ostream& record)
        : m_o(options), m_steps(std::move(steps)), m_record(record), m_start(Clock::now())
    {
        if (!m_o.sentPath.empty())
            m_sent.open(m_o.sentPath, std::ios::out | std::ios::trunc);
    }

    bool SentLogOpen() const { return m_o.sentPath.empty() || m_sent.is_open(); }

    int Run()
    {
        if (!m_server.Listen(m_o.socketPath)) {
            std::fprintf(stderr, "orvelle-virtual-remote: cannot listen on %s: %s\n", m_o.socketPath.c_str(),
                         m_server.Error().c_str());
            return 1;
        }
        Note("listening on " + m_o.socketPath);
        const bool hasScript = !m_o.scriptPath.empty();
        while (!g_stop) {
            const auto now = Clock::now();
            if (m_o.durationMs >= 0 && now - m_start >= std::chrono::milliseconds(m_o.durationMs))
                break;
            if (hasScript && m_o.durationMs < 0 && m_next >= m_steps.size() && now >= m_waitUntil)
                break;
            if (m_listening && !m_server.HasClient()) {
                if (m_server.Accept(20))
                    Note("program connected");
                else if (now >= m_waitUntil && NextNeedsClient())
                    continue;  // reports wait for a listener
            }
            if (now >= m_waitUntil && m_next < m_steps.size()) {
                Step(m_steps[m_next++]);
                continue;
            }
            RepeatIfDue();
            Receive();
        }
        m_server.Close();
        m_record.flush();
        return 0;
    }

private:
    void Note(const std::string& text)
    {
        if (!m_o.quiet)
            std::fprintf(stderr, "orvelle-virtual-remote: %s\n", text.c_str());
    }

    bool NextNeedsClient() const
    {
        return m_next < m_steps.size() && m_steps[m_next].kind == RemoteStep::Kind::Report;
    }

    void Send(const std::vector<uint8_t>& report)
    {
        // Taken before the send: once sent, the program may act on it before this thread runs again.
        const auto at = Clock::now();
        if (!m_server.SendReport(report.data(), report.size())) {
            Note("program disconnected");
            return;
        }
        if (m_sent.is_open()) {
            m_sent << std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
            for (const uint8_t byte : report) {
                char hex[4];
                std::snprintf(hex, sizeof hex, " %02X", byte);
                m_sent << hex;
            }
            m_sent << '\n';
        }
    }

    void Step(const RemoteStep& step)
    {
        switch (step.kind) {
        case RemoteStep::Kind::Report:
            Send(step.report);
            m_last = step.report;
            m_nextRepeat = Clock::now() + RepeatPeriod();
            break;
        case RemoteStep::Kind::Wait:
            m_waitUntil = Clock::now() + std::chrono::milliseconds(step.ms);
            break;
        case RemoteStep::Kind::Unplug:
            m_server.Close();
            m_listening = false;
            Note("unplugged");
            break;
        case RemoteStep::Kind::Plug:
            if (!m_server.Listen(m_o.socketPath))
                Note("cannot listen again: " + m_server.Error());
            m_listening = true;
            Note("plugged in");
            break;
        }
    }

    // Without a rate nothing repeats; the period is then only a placeholder and must not divide by 0.
    Clock::duration RepeatPeriod() const
    {
        if (m_o.rate <= 0)
            return std::chrono::hours(1);
        return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / m_o.rate));
    }

    void RepeatIfDue()
    {
        if (m_o.rate <= 0 || m_last.empty() || !m_server.HasClient())
            return;
        const auto now = Clock::now();
        if (now < m_nextRepeat)
            return;
        Send(m_last);
        m_nextRepeat += RepeatPeriod();
        if (m_nextRepeat < now)
            m_nextRepeat = now + RepeatPeriod();  // fell behind: do not burst
    }

    // Waits for an output report until the next thing is due.
    void Receive()
    {
        auto until = Clock::now() + std::chrono::milliseconds(20);
        if (m_next < m_steps.size() && m_waitUntil < until)
            until = m_waitUntil;
        if (m_o.rate > 0 && !m_last.empty() && m_nextRepeat < until)
            until = m_nextRepeat;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
        if (!m_server.HasClient()) {
            if (left > 0 && !m_listening)
                std::this_thread::sleep_for(std::chrono::milliseconds(left));
            return;
        }
        uint8_t frame[platform::kVirtualFrameMax];
        size_t length = 0;
        const auto r = m_server.ReceiveReport(frame, sizeof frame, &length, static_cast<int>(std::max<long>(0, left)));
        if (r == platform::FrameReadResult::Frame) {
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - m_start).count();
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "%.3f", ms);
            m_record << stamp;
            for (size_t i = 0; i < length; ++i) {
                char hex[4];
                std::snprintf(hex, sizeof hex, " %02X", frame[i]);
                m_record << hex;
            }
            m_record << '\n';
            m_record.flush();
        } else if (r != platform::FrameReadResult::Timeout) {
            Note(std::string("program disconnected (") + platform::FrameReadResultName(r) + ")");
        }
    }

    const Options& m_o;
    std::vector<RemoteStep> m_steps;
    std::ostream& m_record;
    std::ofstream m_sent;
    platform::VirtualReceiverServer m_server;
    const Clock::time_point m_start;
    Clock::time_point m_waitUntil = Clock::now();
    Clock::time_point m_nextRepeat = Clock::now();
    std::vector<uint8_t> m_last;
    size_t m_next = 0;
    bool m_listening = true;
};

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseArgs(argc, argv, &options)) {
        Usage();
        return 2;
    }
    std::vector<RemoteStep> steps;
    if (!options.scriptPath.empty()) {
        std::stringstream text;
        if (options.scriptPath == "-") {
            text << std::cin.rdbuf();
        } else {
            std::ifstream in(options.scriptPath);
            if (!in) {
                std::fprintf(stderr, "orvelle-virtual-remote: cannot read %s\n", options.scriptPath.c_str());
                return 1;
            }
            text << in.rdbuf();
        }
        std::string error;
        if (!ParseRemoteScript(text.str(), &steps, &error)) {
            std::fprintf(stderr, "orvelle-virtual-remote: %s: %s\n", options.scriptPath.c_str(), error.c_str());
            return 2;
        }
    }
    std::ofstream file;
    if (!options.recordPath.empty() && options.recordPath != "-") {
        file.open(options.recordPath, std::ios::out | std::ios::trunc);
        if (!file) {
            std::fprintf(stderr, "orvelle-virtual-remote: cannot write %s\n", options.recordPath.c_str());
            return 1;
        }
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    Remote remote(options, std::move(steps), file.is_open() ? static_cast<std::ostream&>(file) : std::cout);
    if (!remote.SentLogOpen()) {
        std::fprintf(stderr, "orvelle-virtual-remote: cannot write %s\n", options.sentPath.c_str());
        return 1;
    }
    return remote.Run();
}
