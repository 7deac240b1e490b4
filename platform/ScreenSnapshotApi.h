#pragma once
// The entry points of the screen-snapshot plug-in (libScreenSnapshot.so) and the callback it
// calls, in the shape the program expects of any capture tool. Plain C types, shared by the
// plug-in and its loader.

// The plug-in reports its progress through the callback; the program always answers 1.
enum ScreenSnapshotCode : int {
    KVO_SCREEN_SHOT_INI = 0,
    KVO_SCREEN_SHOT_COMPLETE = 3,
    KVO_SCREEN_SHOT_SAVE_BEGIN = 4,
    KVO_SCREEN_SHOT_SAVE_END = 5,
};

using ScreenSnapshotCallback = int (*)(int code);

extern "C" {
using SetCallBackFunctionFunc = void (*)(ScreenSnapshotCallback callback);
// Returns when the capture is over: saved, cancelled, or ended by CancelSnapshot.
using SnapshotFunc = void (*)();
// Brings the running capture's window to the front.
using ShowSnapshotFunc = void (*)();
using CancelSnapshotFunc = void (*)();
}

// The plug-in's file name, beside the program.
constexpr const char* kScreenSnapshotLibraryName = "libScreenSnapshot.so";
