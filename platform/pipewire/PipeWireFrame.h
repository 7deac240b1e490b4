#pragma once
// One picture from a PipeWire video node, such as the stream a compositor's screen cast offers.
// The connection to the user's PipeWire daemon, and its thread, are made at the first read and
// kept; each read connects a stream to the node, takes the first whole frame and lets go.

#include <cstdint>
#include <memory>

namespace platform {

struct PipeWirePicture {
    int width = 0;
    int height = 0;
    // width x height pixels 0xFFRRGGBB, rows top-down without padding.
    std::unique_ptr<uint32_t[]> pixels;
};

class PipeWireFrame {
public:
    PipeWireFrame();
    ~PipeWireFrame();
    PipeWireFrame(const PipeWireFrame&) = delete;
    PipeWireFrame& operator=(const PipeWireFrame&) = delete;

    // The first frame node `nodeId` sends within `limitMs`; false (and `out` empty) when there
    // is no daemon, the node refused the stream or sent no whole frame by then. Any thread, one
    // read at a time.
    bool Read(uint32_t nodeId, int limitMs, PipeWirePicture& out);

private:
    struct Daemon;
    std::unique_ptr<Daemon> m_daemon;
};

} // namespace platform
