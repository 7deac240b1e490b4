#pragma once
// What the settings window says about the device: the status line beside the caption and the
// product name in the caption and the tray tip.

#include <cstdint>
#include <optional>

enum class DeviceStatusText { Offline, Online, Charging };

// The device manager's state as the status line reads it; `present` is false until the device
// manager exists.
struct DeviceStatusSnapshot {
    bool present = false;
    int status = 0;
    uint8_t charging = 0;
};

// Charging wins over online and offline: a remote charging on its cable may have no radio link.
DeviceStatusText StatusTextFor(const DeviceStatusSnapshot& device);
// The key of the text in language section "other".
const char* StatusTextKey(DeviceStatusText text);

enum class CaptionKind { Presenter, Mouse };

// Presenter for device type 0, mouse for the wireless (1) and wired (2) mouse, nothing otherwise.
std::optional<CaptionKind> CaptionKindFor(int devType);

// The language keys of a caption kind.
struct CaptionKeys {
    const char* iconStyle;  // section "main_style"
    const char* nameStyle;  // section "main_style"
    const char* nameText;   // section "funsel"
};
CaptionKeys CaptionKeysFor(CaptionKind kind);
