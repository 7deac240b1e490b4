// A pointer for the tests on sway, whose headless seat has none: a virtual pointer of the
// compositor's (zwlr_virtual_pointer_v1) driven by the steps on the command line, one at a time
// with a short pause after each, as a hand would.
//
//   wayland_pointer step...
//     move X Y     the cursor to (X, Y) of the 1280 x 800 output layout
//     press        the left button down
//     release      the left button up
//     wait MS      a pause
// Exits 1 when the compositor offers no virtual pointer, 2 on a step it does not know.

#include "WaylandClient.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

uint32_t NowMs()
{
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

} // namespace

int main(int argc, char** argv)
{
    // The test sessions' output.
    constexpr uint32_t kWidth = 1280;
    constexpr uint32_t kHeight = 800;
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
    platform::WaylandClient client;
    const bool connected = client.Connect(nullptr, [&](wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && seat == nullptr)
            seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0 && manager == nullptr)
            manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    });
    if (!connected || manager == nullptr) {
        std::fprintf(stderr, "wayland_pointer: %s\n", connected ? "the compositor offers no virtual pointer" : "no Wayland display");
        return 1;
    }
    wl_display* display = client.Display();
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
    wl_display_roundtrip(display);
    // The seat gains its pointer with the device: give its clients time to take it.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        if (step == "move" && i + 2 < argc) {
            const auto x = static_cast<uint32_t>(std::atoi(argv[i + 1]));
            const auto y = static_cast<uint32_t>(std::atoi(argv[i + 2]));
            zwlr_virtual_pointer_v1_motion_absolute(pointer, NowMs(), x, y, kWidth, kHeight);
            i += 2;
        } else if (step == "press" || step == "release") {
            zwlr_virtual_pointer_v1_button(pointer, NowMs(), BTN_LEFT,
                                           step == "press" ? WL_POINTER_BUTTON_STATE_PRESSED
                                                           : WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (step == "wait" && i + 1 < argc) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[++i])));
            continue;
        } else {
            std::fprintf(stderr, "wayland_pointer: unknown step %s\n", step.c_str());
            status = 2;
            break;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(manager);
    if (seat != nullptr)
        wl_seat_destroy(seat);
    wl_display_roundtrip(display);
    return status;
}
