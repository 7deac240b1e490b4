#pragma once
// The header at the start of every traffic node: who sent the frame, how long it is and when it
// arrived. The HID report (first byte the report id 0x0A) follows it directly.

#include "KVOMemNode.h"

#include <cstdint>
#include <cstring>

// Link kinds a frame can come from or go to.
enum KVOLinkKind : int32_t {
    KVO_LINK_UNKNOWN = 0,
    KVO_LINK_BLE = 1,
    KVO_LINK_HID = 2,
};

constexpr uint8_t KVO_REPORT_ID = 0x0A;

struct KVOFrameHeader {
    int32_t source = 0;        // KVOLinkKind of an incoming frame
    int32_t reserved0 = 0;
    int32_t length = 0;        // report bytes to send (outgoing frames)
    int32_t reserved1[2] = {0, 0};
    int32_t recvTime = 0;      // whole milliseconds of the high-resolution clock (incoming frames)
    uint8_t reserved2[3] = {0, 0, 0};
};

// Fields are laid out back to back; the report starts right after the three reserved bytes.
constexpr int KVO_FRAME_HEADER_SIZE = 6 * 4 + 3;

inline void WriteFrameHeader(pMemNode node, const KVOFrameHeader& h)
{
    char* p = node->data;
    std::memcpy(p + 0, &h.source, 4);
    std::memcpy(p + 4, &h.reserved0, 4);
    std::memcpy(p + 8, &h.length, 4);
    std::memcpy(p + 12, &h.reserved1[0], 4);
    std::memcpy(p + 16, &h.reserved1[1], 4);
    std::memcpy(p + 20, &h.recvTime, 4);
    std::memcpy(p + 24, h.reserved2, 3);
}

inline KVOFrameHeader ReadFrameHeader(const MemNode* node)
{
    KVOFrameHeader h;
    const char* p = node->data;
    std::memcpy(&h.source, p + 0, 4);
    std::memcpy(&h.reserved0, p + 4, 4);
    std::memcpy(&h.length, p + 8, 4);
    std::memcpy(&h.reserved1[0], p + 12, 4);
    std::memcpy(&h.reserved1[1], p + 16, 4);
    std::memcpy(&h.recvTime, p + 20, 4);
    std::memcpy(h.reserved2, p + 24, 3);
    return h;
}

// The report bytes of a traffic node.
inline uint8_t* FrameReport(pMemNode node) { return reinterpret_cast<uint8_t*>(node->data + KVO_FRAME_HEADER_SIZE); }
