#pragma once
// The colours of the settings window's dark theme. The skin XML files and the style lists of
// the language files use the same values, so the pictures and the flat fills match.

#include <QColor>

namespace SkinPalette {

inline const QColor Window{0x1B, 0x1F, 0x2A};      // #FF1B1F2A
inline const QColor Panel{0x24, 0x2A, 0x38};       // #FF242A38
inline const QColor PanelRaised{0x2C, 0x33, 0x44}; // #FF2C3344
inline const QColor Border{0x3A, 0x43, 0x58};      // #FF3A4358
inline const QColor Accent{0x4C, 0x8D, 0xFF};      // #FF4C8DFF
inline const QColor AccentHot{0x6E, 0xA4, 0xFF};   // #FF6EA4FF
inline const QColor AccentPushed{0x36, 0x6F, 0xD6};
inline const QColor Text{0xE8, 0xEC, 0xF4};        // #FFE8ECF4
inline const QColor Muted{0x82, 0x82, 0x82};       // #FF828282, the colour of a switched-off row
inline const QColor Danger{0xE5, 0x48, 0x4D};
inline const QColor Off{0x4A, 0x52, 0x66};

} // namespace SkinPalette
