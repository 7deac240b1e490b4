#pragma once
// The key byte of a presenter's report and the button byte of a wireless mouse's, as the remote
// sends them: one bit per key, combinations as their sums.

#include <cstdint>

// Presenter key bytes.
constexpr uint8_t KEY_NONE = 0;  // every key up: a release
constexpr uint8_t KEY_PAGE_UP = 1;
constexpr uint8_t KEY_PAGE_DOWN = 2;
constexpr uint8_t KEY_DO = 4;
constexpr uint8_t KEY_DO_PAGE_UP = 5;
constexpr uint8_t KEY_DO_PAGE_DOWN = 6;
constexpr uint8_t KEY_FUN = 8;
constexpr uint8_t KEY_FUN_PAGE_UP = 9;
constexpr uint8_t KEY_FUN_PAGE_DOWN = 10;
constexpr uint8_t KEY_FUN_DO = 12;

// Wireless-mouse button bytes.
constexpr uint8_t BUTTON_NONE = 0;
constexpr uint8_t BUTTON_RIGHT = 1;
constexpr uint8_t BUTTON_KEY6 = 4;
constexpr uint8_t BUTTON_DO = 8;
constexpr uint8_t BUTTON_CUSTOM = 16;
constexpr uint8_t BUTTON_MIRROR = 32;
constexpr uint8_t BUTTON_IGNORED_LOW = 64;
constexpr uint8_t BUTTON_IGNORED_HIGH = 128;
constexpr uint8_t BUTTON_SIZE_UP = 72;
constexpr uint8_t BUTTON_SIZE_DOWN = 136;
