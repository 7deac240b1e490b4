#pragma once
// The words the command line and the session bus use for functions and custom actions, and the
// numbers the service knows them by.

#include <optional>
#include <string>

// "mouse", "spotlight", "laser", "magnifier", "pen", "screenshot": FunctionId 1 to 6.
std::optional<int> FunctionIdOf(const std::string& name);
const char* FunctionNameOf(int functionId);
// The custom actions, KVO_CUSTOM_BLANK_SCREEN (1) to KVO_CUSTOM_VIDEO_PLAY_PAUSE (13): "blank",
// "video", "audio", "scroll", "files", "laser-colour", "pen-colour", "web", "shortcut", "settings",
// "slideshow", "mute", "play-pause".
std::optional<int> CustomActionOf(const std::string& name);
// The names above, separated by ", ", for messages and the help text.
std::string FunctionNames();
std::string CustomActionNames();
