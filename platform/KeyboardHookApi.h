#pragma once
// The entry points of the keyboard-hook plug-in (libHook.so) and the callback it calls, in the
// shape the program expects of any hook: SetHook (callback), SetIsPressFunAndUp (one-byte flag),
// ReleaseHook. Plain C types, shared by the plug-in and its loader.

#include <cstdint>

// The record the callback's third argument points to; its first field is the virtual key.
struct HookKeyRecord {
    uint32_t vkCode;
    uint32_t scanCode;
    uint32_t flags;
    uint32_t time;
    uintptr_t extraInfo;
};

// Messages passed to the callback.
constexpr uintptr_t kHookKeyDown = 0x0100;     // WM_KEYDOWN
constexpr uintptr_t kHookKeyUp = 0x0101;       // WM_KEYUP
constexpr uintptr_t kHookSysKeyDown = 0x0104;  // WM_SYSKEYDOWN

// (code, message, pointer to a HookKeyRecord as an integer); code < 0 means "not for you".
using HookKeyboardProc = intptr_t (*)(int code, uintptr_t message, intptr_t record);

extern "C" {
using SetHookFunc = int (*)(HookKeyboardProc proc);
using SetIsPressFunAndUpFunc = void (*)(uint8_t pressed);
using ReleaseHookFunc = void (*)();
// Optional: the program announces each key event it is about to inject (X keycode, 1 down / 0 up),
// so the hook can tell them from keys other programs inject through the same XTEST device.
using NoteInjectedKeyFunc = void (*)(uint32_t keycode, uint8_t down);
}

// The plug-in's file name, beside the program.
constexpr const char* kHookLibraryName = "libHook.so";
