#pragma once
// The launcher's log-on start: the XDG autostart entry "QuillonServer.desktop" of the user,
// whose Exec line holds the launcher's own full path.

#include <string>

class CAutorunEntry {
public:
    static constexpr const char* kEntryName = "QuillonServer";

    // $XDG_CONFIG_HOME/autostart/QuillonServer.desktop, with ~/.config when XDG_CONFIG_HOME is
    // unset or not absolute; empty when neither it nor HOME is an absolute path.
    static std::string EntryPath();
    // The Exec value that starts `program`: the path quoted and escaped as desktop entries
    // require, so blanks, quotes, backslashes and '%' survive.
    static std::string ExecValue(const std::string& program);
    // Writes the entry when it is missing or its Exec differs from `program`'s, unless the user
    // switched it off (Hidden=true or X-GNOME-Autostart-enabled=false): such an entry is left
    // as it is. True when the entry was written; failures leave whatever was there.
    static bool Refresh(const std::string& program, const std::string& entryPath = EntryPath());
};
