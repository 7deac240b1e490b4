#include "RemoteScript.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

bool ParseNumber(const std::string& word, long min, long max, long* out)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(word.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value < min || value > max)
        return false;
    *out = value;
    return true;
}

bool ParseHexByte(std::string word, uint8_t* out)
{
    if (word.rfind("0x", 0) == 0 || word.rfind("0X", 0) == 0)
        word = word.substr(2);
    if (word.empty() || word.size() > 2)
        return false;
    char* end = nullptr;
    const long value = std::strtol(word.c_str(), &end, 16);
    if (*end != '\0')
        return false;
    *out = static_cast<uint8_t>(value);
    return true;
}

struct Line {
    int number;
    std::vector<std::string> words;
};

class Parser {
public:
    Parser(std::vector<Line> lines, std::vector<RemoteStep>* steps, std::string* error)
        : m_lines(std::move(lines)), m_steps(steps), m_error(error)
    {
    }

    bool Run()
    {
        size_t at = 0;
        if (!Block(&at, 0, 1))
            return false;
        return true;
    }

private:
    bool Fail(int line, const std::string& message)
    {
        *m_error = "line " + std::to_string(line) + ": " + message;
        return false;
    }

    bool Emit(const RemoteStep& step)
    {
        if (m_steps->size() >= kRemoteMaxSteps)
            return Fail(step.line, "script unrolls to more than " + std::to_string(kRemoteMaxSteps) + " steps");
        m_steps->push_back(step);
        return true;
    }

    // Parses lines from *at until the matching '}' (depth > 0) or the end, `times` times.
    bool Block(size_t* at, int depth, long times)
    {
        const size_t start = *at;
        size_t end = start;
        for (long round = 0; round < times; ++round) {
            end = start;
            if (!BlockOnce(&end, depth))
                return false;
        }
        if (times == 0) {  // still has to be well-formed and skipped
            std::vector<RemoteStep> scratch;
            std::vector<RemoteStep>* saved = m_steps;
            m_steps = &scratch;
            end = start;
            const bool ok = BlockOnce(&end, depth);
            m_steps = saved;
            if (!ok)
                return false;
        }
        *at = end;
        return true;
    }

    bool BlockOnce(size_t* at, int depth)
    {
        while (*at < m_lines.size()) {
            const Line& line = m_lines[*at];
            const auto& w = line.words;
            ++*at;
            if (++m_work > kMaxWork)
                return Fail(line.number, "script too long once its repeats are unrolled");
            const std::string& cmd = w[0];
            if (cmd == "}") {
                if (depth == 0)
                    return Fail(line.number, "'}' without 'repeat'");
                return w.size() == 1 || Fail(line.number, "text after '}'");
            }
            if (cmd == "repeat") {
                long n = 0;
                if (w.size() != 3 || w[2] != "{" || !ParseNumber(w[1], 0, 1'000'000, &n))
                    return Fail(line.number, "expected 'repeat <count> {'");
                if (!Block(at, depth + 1, n))
                    return false;
                continue;
            }
            RemoteStep step;
            step.line = line.number;
            if (cmd == "report") {
                long v[5] = {0, 0, 0, 0, 0};
                const long lo[5] = {0, 0, -128, -128, 0};
                const long hi[5] = {255, 255, 127, 127, 255};
                if (w.size() < 3 || w.size() > 6)
                    return Fail(line.number, "expected 'report <status> <key> [dx] [dy] [buttons]'");
                for (size_t i = 1; i < w.size(); ++i) {
                    if (!ParseNumber(w[i], lo[i - 1], hi[i - 1], &v[i - 1]))
                        return Fail(line.number, "bad value '" + w[i] + "'");
                }
                step.report = MakeInputReport(static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1]),
                                              static_cast<int8_t>(v[2]), static_cast<int8_t>(v[3]),
                                              static_cast<uint8_t>(v[4]));
            } else if (cmd == "raw") {
                if (w.size() < 2 || w.size() > 65)
                    return Fail(line.number, "expected 'raw' and 1 to 64 hex bytes");
                for (size_t i = 1; i < w.size(); ++i) {
                    uint8_t b = 0;
                    if (!ParseHexByte(w[i], &b))
                        return Fail(line.number, "bad byte '" + w[i] + "'");
                    step.report.push_back(b);
                }
            } else if (cmd == "wait") {
                long ms = 0;
                if (w.size() != 2 || !ParseNumber(w[1], 0, 86'400'000, &ms))
                    return Fail(line.number, "expected 'wait <ms>'");
                step.kind = RemoteStep::Kind::Wait;
                step.ms = static_cast<uint32_t>(ms);
            } else if (cmd == "unplug" || cmd == "plug") {
                if (w.size() != 1)
                    return Fail(line.number, "'" + cmd + "' takes nothing");
                step.kind = cmd == "unplug" ? RemoteStep::Kind::Unplug : RemoteStep::Kind::Plug;
            } else {
                return Fail(line.number, "unknown command '" + cmd + "'");
            }
            if (!Emit(step))
                return false;
        }
        if (depth > 0)
            return Fail(m_lines.empty() ? 0 : m_lines.back().number, "'repeat' without '}'");
        return true;
    }

    static constexpr uint64_t kMaxWork = 5'000'000;

    std::vector<Line> m_lines;
    uint64_t m_work = 0;
    std::vector<RemoteStep>* m_steps;
    std::string* m_error;
};

} // namespace

std::vector<uint8_t> MakeInputReport(uint8_t status, uint8_t key, int8_t dx, int8_t dy, uint8_t buttons)
{
    std::vector<uint8_t> r(kRemoteReportLength, 0);
    r[0] = 0x0A;
    r[1] = status;
    r[4] = key;
    r[6] = static_cast<uint8_t>(dx);
    r[7] = static_cast<uint8_t>(dy);
    r[8] = buttons;
    return r;
}

bool ParseRemoteScript(const std::string& text, std::vector<RemoteStep>* steps, std::string* error)
{
    std::vector<Line> lines;
    std::istringstream in(text);
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        if (const size_t hash = raw.find('#'); hash != std::string::npos)
            raw.erase(hash);
        std::istringstream words(raw);
        Line line{number, {}};
        for (std::string w; words >> w;)
            line.words.push_back(w);
        if (!line.words.empty())
            lines.push_back(std::move(line));
    }
    steps->clear();
    return Parser(std::move(lines), steps, error).Run();
}
