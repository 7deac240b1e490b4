#pragma once
// Reading what the virtual remote recorded (--record): one received frame per line.

#include <cstdio>
#include <string>

// Heartbeat frames with the mode byte `mode` (and heart ban 0) in a record's text.
inline int CountHeartbeats(const std::string& frames, int mode)
{
    char pattern[32];
    std::snprintf(pattern, sizeof pattern, " 0A B2 01 50 %02X 00 ", mode);
    int count = 0;
    for (size_t at = frames.find(pattern); at != std::string::npos; at = frames.find(pattern, at + 1))
        ++count;
    return count;
}

// The last non-empty line of a record's text, without its newline; empty when there is none.
inline std::string LastLine(const std::string& text)
{
    const size_t end = text.find_last_not_of('\n');
    if (end == std::string::npos)
        return {};
    const size_t newline = text.rfind('\n', end);
    const size_t start = newline == std::string::npos ? 0 : newline + 1;
    return text.substr(start, end + 1 - start);
}
