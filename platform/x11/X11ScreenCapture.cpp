#include "X11ScreenCapture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace platform {

namespace {

// An attach the server refuses (a remote display, another user's server) arrives as an
// asynchronous error; it must not end the process through Xlib's default handler.
bool g_attachFailed = false;
int OnAttachError(Display*, XErrorEvent*)
{
    g_attachFailed = true;
    return 0;
}

// 24- and 32-bit TrueColor images in the usual byte layout copy row by row; anything else
// goes through XGetPixel, slow but right.
void CopyPixels(XImage* image, CapturedScreen& out)
{
    const int w = out.width, h = out.height;
    const bool direct = image->bits_per_pixel == 32 && image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 &&
                        image->blue_mask == 0xFF && image->byte_order == LSBFirst;
    for (int y = 0; y < h; ++y) {
        uint32_t* row = out.pixels.get() + static_cast<size_t>(y) * w;
        if (direct) {
            const auto* src = reinterpret_cast<const uint32_t*>(image->data + static_cast<size_t>(y) * image->bytes_per_line);
            for (int x = 0; x < w; ++x)
                row[x] = src[x] | 0xFF000000u;
            continue;
        }
        for (int x = 0; x < w; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            const auto channel = [p](unsigned long mask) {
                if (mask == 0)
                    return 0u;
                int shift = 0;
                while (((mask >> shift) & 1) == 0)
                    ++shift;
                const unsigned long max = mask >> shift;
                return static_cast<unsigned>(((p & mask) >> shift) * 255 / max);
            };
            row[x] = 0xFF000000u | channel(image->red_mask) << 16 | channel(image->green_mask) << 8 |
                     channel(image->blue_mask);
        }
    }
}

} // namespace

bool X11ScreenCapture::CaptureVirtualScreen(CapturedScreen& out)
{
    out = CapturedScreen{};
    m_lastShm = false;
    X11Connection::Lock lock(m_connection);
    if (!lock)
        return false;
    Display* display = lock.Display();
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, root, &attributes) == 0 || attributes.width <= 0 || attributes.height <= 0)
        return false;
    out.width = attributes.width;
    out.height = attributes.height;

    XImage* image = nullptr;
    XShmSegmentInfo segment{};
    segment.shmid = -1;
    bool attached = false;
    if (!m_shmFailed && XShmQueryExtension(display)) {
        image = XShmCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap, nullptr,
                                &segment, static_cast<unsigned>(out.width), static_cast<unsigned>(out.height));
        if (image != nullptr) {
            segment.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * image->height, IPC_CREAT | 0600);
            if (segment.shmid >= 0) {
                segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
                segment.readOnly = False;
                if (segment.shmaddr != reinterpret_cast<char*>(-1)) {
                    g_attachFailed = false;
                    XErrorHandler previous = XSetErrorHandler(OnAttachError);
                    XShmAttach(display, &segment);
                    XSync(display, False);
                    attached = !g_attachFailed;
                    if (attached && XShmGetImage(display, root, image, 0, 0, AllPlanes) == 0)
                        attached = false;
                    XSync(display, False);
                    XSetErrorHandler(previous);
                    m_lastShm = attached;
                } else {
                    segment.shmaddr = image->data = nullptr;
                }
                // Marked for removal at once: the segment goes with its last detach even if we crash.
                shmctl(segment.shmid, IPC_RMID, nullptr);
            }
        }
        if (!m_lastShm)
            m_shmFailed = true;
    }
    if (m_lastShm) {
        out.pixels = std::make_unique_for_overwrite<uint32_t[]>(static_cast<size_t>(out.width) * out.height);
        CopyPixels(image, out);
    }
    if (image != nullptr) {
        if (attached)
            XShmDetach(display, &segment);
        if (segment.shmaddr != nullptr)
            shmdt(segment.shmaddr);
        image->data = nullptr;
        XDestroyImage(image);
        image = nullptr;
    }
    if (!m_lastShm) {
        image = XGetImage(display, root, 0, 0, static_cast<unsigned>(out.width), static_cast<unsigned>(out.height),
                          AllPlanes, ZPixmap);
        if (image == nullptr) {
            out = CapturedScreen{};
            return false;
        }
        out.pixels = std::make_unique_for_overwrite<uint32_t[]>(static_cast<size_t>(out.width) * out.height);
        CopyPixels(image, out);
        XDestroyImage(image);
    }
    // The root window starts at the desktop's top-left corner, whatever the monitors' layout.
    out.originX = 0;
    out.originY = 0;
    return true;
}

} // namespace platform

namespace platform {

namespace {

// The pixel at (0, 0) of the root window as the screen shows it; false when it cannot be read.
bool RootPixel(Display* display, Window root, unsigned long& pixel)
{
    XImage* image = XGetImage(display, root, 0, 0, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
        return false;
    pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return true;
}

// Polls the probe's pixel until `wanted(pixel, unchangedFor)` says it is done, or `deadline` passes.
template <class Wanted>
bool PollRootPixel(Display* display, Window root, std::chrono::steady_clock::time_point deadline, Wanted wanted)
{
    unsigned long last = 0;
    auto since = std::chrono::steady_clock::now();
    for (bool first = true;; first = false) {
        unsigned long pixel = 0;
        if (!RootPixel(display, root, pixel))
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (first || pixel != last) {
            last = pixel;
            since = now;
        }
        if (wanted(pixel, now - since))
            return true;
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// A compositor that fades windows out changes the pixel every frame until the fade is over.
constexpr std::chrono::milliseconds kSettled{40};

} // namespace

bool X11ScreenCapture::WaitForRepaint(int limitMs)
{
    X11Connection::Lock lock(m_connection);
    if (!lock)
        return false;
    Display* display = lock.Display();
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    Visual* visual = DefaultVisual(display, screen);
    unsigned long under = 0;
    if (!RootPixel(display, root, under))
        return false;
    const unsigned long colourBits = visual->red_mask | visual->green_mask | visual->blue_mask;
    const unsigned long probeColour = ~under & colourBits;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = probeColour;
    const Window probe = XCreateWindow(display, root, 0, 0, 1, 1, 0, CopyFromParent, InputOutput, CopyFromParent,
                                       CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display, probe);
    XSync(display, False);
    // The compositor has come as far as the probe once the pixel moves towards it.
    const bool shown = PollRootPixel(display, root, deadline, [&](unsigned long p, auto) { return p != under; });
    XDestroyWindow(display, probe);
    XSync(display, False);
    // Gone once the pixel is no longer the probe's and has settled: every fade, of the probe and
    // of the windows unmapped before it, is over, whatever lies beneath now.
    const bool gone = PollRootPixel(display, root, deadline, [&](unsigned long p, auto unchangedFor) {
        return (p & colourBits) != probeColour && unchangedFor >= kSettled;
    });
    return shown && gone;
}

} // namespace platform
