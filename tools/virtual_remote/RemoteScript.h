#pragma once
// The virtual remote's script: what it sends to the program and when. Text, one command a line:
//
//   report <status> <key> [dx] [dy] [buttons]   one input report (id 0x0A, 17 bytes)
//   raw <byte> <byte> ...                       exactly these bytes as one report (1 to 64)
//   wait <ms>                                   pause
//   repeat <n> {  ...  }                        the enclosed lines n times (may nest)
//   unplug                                      stop listening: the receiver leaves
//   plug                                        listen again: the receiver comes back
//
// Numbers are decimal or 0x-prefixed hex; raw bytes are hex with or without 0x. dx and dy are
// signed (-128 to 127). '#' starts a comment; blank lines are ignored.

#include <cstdint>
#include <string>
#include <vector>

struct RemoteStep {
    enum class Kind { Report, Wait, Unplug, Plug };
    Kind kind = Kind::Report;
    std::vector<uint8_t> report;  // Report
    uint32_t ms = 0;              // Wait
    int line = 0;                 // where it was written, for messages
};

constexpr size_t kRemoteReportLength = 17;
constexpr size_t kRemoteMaxSteps = 1'000'000;

// Input report layout: id, status, two pass-through bytes, key, one pass-through byte, signed
// horizontal and vertical motion, mouse buttons; the rest zero.
std::vector<uint8_t> MakeInputReport(uint8_t status, uint8_t key, int8_t dx, int8_t dy, uint8_t buttons);

// Parses a whole script into the flat list of steps (repeats unrolled). False with a message
// naming the line on the first error.
bool ParseRemoteScript(const std::string& text, std::vector<RemoteStep>* steps, std::string* error);
