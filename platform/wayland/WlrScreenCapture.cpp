#include "WlrScreenCapture.h"

#include "WaylandClient.h"
#include "WaylandDispatch.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace platform {
namespace {

struct Output {
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    uint32_t name = 0;
    // Logical rectangle on the desktop; the mode's size until xdg-output says otherwise.
    int x = 0, y = 0, width = 0, height = 0;
    bool logicalSize = false;
};

// One output's frame as the compositor delivers it.
struct Frame {
    uint32_t format = 0;
    uint32_t width = 0, height = 0, stride = 0;
    bool offered = false;     // an shm buffer kind was offered
    bool offersDone = false;  // version 3: every kind was offered
    bool yInvert = false;
    bool ready = false;
    bool failed = false;
};

bool Readable(uint32_t format)
{
    return format == WL_SHM_FORMAT_XRGB8888 || format == WL_SHM_FORMAT_ARGB8888 ||
           format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
}

// 0xFFRRGGBB from one pixel of the frame's format.
uint32_t ToArgb(uint32_t pixel, uint32_t format)
{
    if (format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888)
        pixel = (pixel & 0x0000FF00u) | ((pixel & 0xFFu) << 16) | ((pixel >> 16) & 0xFFu);
    return pixel | 0xFF000000u;
}

} // namespace

struct WlrScreenCapture::Connection {
    std::string displayName;
    bool hasName = false;
    std::mutex mutex;
    WaylandClient client;
    wl_shm* shm = nullptr;
    zwlr_screencopy_manager_v1* manager = nullptr;
    uint32_t managerVersion = 0;
    zxdg_output_manager_v1* xdgOutputs = nullptr;
    std::vector<Output> outputs;

    ~Connection() { Close(); }

    void Close()
    {
        for (Output& o : outputs) {
            if (o.xdgOutput)
                zxdg_output_v1_destroy(o.xdgOutput);
            if (o.output)
                wl_output_destroy(o.output);
        }
        outputs.clear();
        if (xdgOutputs)
            zxdg_output_manager_v1_destroy(xdgOutputs);
        if (manager)
            zwlr_screencopy_manager_v1_destroy(manager);
        if (shm)
            wl_shm_destroy(shm);
        client.Disconnect();
        xdgOutputs = nullptr;
        manager = nullptr;
        shm = nullptr;
    }

    bool DispatchUntil(const std::function<bool()>& done) { return WaylandDispatchUntil(client.Display(), done); }
    bool Roundtrip() { return WaylandRoundtrip(client.Display()); }

    bool Open()
    {
        if (client.Connected() && wl_display_get_error(client.Display()) == 0)
            return manager && shm && !outputs.empty();
        Close();
        if (!client.Connect(hasName ? displayName.c_str() : nullptr,
                            [this](wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
                                OnGlobal(registry, name, interface, version);
                            }))
            return false;
        for (Output& o : outputs) {
            static const wl_output_listener outputListener = {
                [](void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {
                    auto* out = static_cast<Output*>(data);
                    out->x = x;
                    out->y = y;
                },
                [](void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
                    auto* out = static_cast<Output*>(data);
                    if ((flags & WL_OUTPUT_MODE_CURRENT) && !out->logicalSize) {
                        out->width = width;
                        out->height = height;
                    }
                },
                [](void*, wl_output*) {},
                [](void*, wl_output*, int32_t) {},
                [](void*, wl_output*, const char*) {},
                [](void*, wl_output*, const char*) {},
            };
            wl_output_add_listener(o.output, &outputListener, &o);
            if (xdgOutputs) {
                o.xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgOutputs, o.output);
                static const zxdg_output_v1_listener xdgListener = {
                    [](void* data, zxdg_output_v1*, int32_t x, int32_t y) {
                        auto* out = static_cast<Output*>(data);
                        out->x = x;
                        out->y = y;
                    },
                    [](void* data, zxdg_output_v1*, int32_t width, int32_t height) {
                        auto* out = static_cast<Output*>(data);
                        out->width = width;
                        out->height = height;
                        out->logicalSize = true;
                    },
                    [](void*, zxdg_output_v1*) {},
                    [](void*, zxdg_output_v1*, const char*) {},
                    [](void*, zxdg_output_v1*, const char*) {},
                };
                zxdg_output_v1_add_listener(o.xdgOutput, &xdgListener, &o);
            }
        }
        if (!Roundtrip())
            return false;
        return manager && shm && !outputs.empty();
    }

    void OnGlobal(wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
    {
        if (std::strcmp(interface, wl_shm_interface.name) == 0) {
            shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        } else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
            managerVersion = std::min(version, 3u);
            manager = static_cast<zwlr_screencopy_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_screencopy_manager_v1_interface, managerVersion));
        } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
            xdgOutputs = static_cast<zxdg_output_manager_v1*>(
                wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min(version, 2u)));
        } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
            Output o;
            o.name = name;
            o.output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
            outputs.push_back(o);
        }
    }

    // Copies one output into `into` (a picture of intoWidth x intoHeight whose (0, 0) is the
    // desktop point originX, originY), scaled to the output's logical size.
    bool CaptureOutput(const Output& o, uint32_t* into, int intoWidth, int intoHeight, int originX, int originY)
    {
        Frame frame;
        zwlr_screencopy_frame_v1* handle = zwlr_screencopy_manager_v1_capture_output(manager, 0, o.output);
        static const zwlr_screencopy_frame_v1_listener listener = {
            [](void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width, uint32_t height, uint32_t stride) {
                auto* f = static_cast<Frame*>(data);
                // The first kind we can read is kept.
                if (!f->offered && Readable(format)) {
                    f->offered = true;
                    f->format = format;
                    f->width = width;
                    f->height = height;
                    f->stride = stride;
                }
            },
            [](void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
                static_cast<Frame*>(data)->yInvert = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
            },
            [](void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) { static_cast<Frame*>(data)->ready = true; },
            [](void* data, zwlr_screencopy_frame_v1*) { static_cast<Frame*>(data)->failed = true; },
            [](void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) {},
            [](void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {},
            [](void* data, zwlr_screencopy_frame_v1*) { static_cast<Frame*>(data)->offersDone = true; },
        };
        zwlr_screencopy_frame_v1_add_listener(handle, &listener, &frame);
        const bool listsKinds = managerVersion >= 3;
        bool ok = DispatchUntil([&] { return frame.failed || (listsKinds ? frame.offersDone : frame.offered); }) &&
                  !frame.failed && frame.offered && frame.width > 0 && frame.height > 0 &&
                  frame.stride >= frame.width * 4 && frame.height <= INT_MAX / frame.stride;
        if (!ok) {
            zwlr_screencopy_frame_v1_destroy(handle);
            return false;
        }
        const size_t size = static_cast<size_t>(frame.stride) * frame.height;
        const int fd = memfd_create("orvelle-screencopy", MFD_CLOEXEC);
        void* map = MAP_FAILED;
        if (fd >= 0 && ::ftruncate(fd, static_cast<off_t>(size)) == 0)
            map = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (map == MAP_FAILED) {
            if (fd >= 0)
                ::close(fd);
            zwlr_screencopy_frame_v1_destroy(handle);
            return false;
        }
        wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(size));
        wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, static_cast<int32_t>(frame.width),
                                                      static_cast<int32_t>(frame.height),
                                                      static_cast<int32_t>(frame.stride), frame.format);
        wl_shm_pool_destroy(pool);
        ::close(fd);
        zwlr_screencopy_frame_v1_copy(handle, buffer);
        ok = DispatchUntil([&] { return frame.ready || frame.failed; }) && frame.ready;
        if (ok) {
            // Nearest pixel when the output is scaled: the picture is in logical pixels.
            const int width = o.width > 0 ? o.width : static_cast<int>(frame.width);
            const int height = o.height > 0 ? o.height : static_cast<int>(frame.height);
            const auto* bytes = static_cast<const uint8_t*>(map);
            for (int y = 0; y < height; ++y) {
                const int ty = o.y - originY + y;
                if (ty < 0 || ty >= intoHeight)
                    continue;
                uint32_t sy = static_cast<uint32_t>(static_cast<uint64_t>(y) * frame.height / height);
                if (frame.yInvert)
                    sy = frame.height - 1 - sy;
                const auto* row = reinterpret_cast<const uint32_t*>(bytes + static_cast<size_t>(sy) * frame.stride);
                uint32_t* target = into + static_cast<size_t>(ty) * intoWidth;
                for (int x = 0; x < width; ++x) {
                    const int tx = o.x - originX + x;
                    if (tx < 0 || tx >= intoWidth)
                        continue;
                    const uint32_t sx = static_cast<uint32_t>(static_cast<uint64_t>(x) * frame.width / width);
                    target[tx] = ToArgb(row[sx], frame.format);
                }
            }
        }
        wl_buffer_destroy(buffer);
        ::munmap(map, size);
        zwlr_screencopy_frame_v1_destroy(handle);
        return ok;
    }
};

WlrScreenCapture::WlrScreenCapture(const char* display) : m_connection(std::make_unique<Connection>())
{
    if (display) {
        m_connection->displayName = display;
        m_connection->hasName = true;
    }
}

WlrScreenCapture::~WlrScreenCapture() = default;

bool WlrScreenCapture::CaptureVirtualScreen(CapturedScreen& out)
{
    out = CapturedScreen{};
    Connection& c = *m_connection;
    std::lock_guard lock(c.mutex);
    if (!c.Open()) {
        c.Close();
        return false;
    }
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const Output& o : c.outputs) {
        left = std::min(left, o.x);
        top = std::min(top, o.y);
        right = std::max(right, o.x + o.width);
        bottom = std::max(bottom, o.y + o.height);
    }
    if (right <= left || bottom <= top || (right - left) > 32768 || (bottom - top) > 32768)
        return false;
    const int width = right - left;
    const int height = bottom - top;
    auto pixels = std::make_unique<uint32_t[]>(static_cast<size_t>(width) * height);
    std::fill_n(pixels.get(), static_cast<size_t>(width) * height, 0xFF000000u);
    for (const Output& o : c.outputs) {
        if (!c.CaptureOutput(o, pixels.get(), width, height, left, top)) {
            // A broken connection is made anew at the next capture.
            if (wl_display_get_error(c.client.Display()) != 0)
                c.Close();
            return false;
        }
    }
    out.originX = left;
    out.originY = top;
    out.width = width;
    out.height = height;
    out.pixels = std::move(pixels);
    return true;
}

} // namespace platform
