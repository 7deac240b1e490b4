#pragma once
// The main program as the launcher sees it: where it is, whether it runs, and starting it hidden
// in a session of its own so that it outlives the launcher.

#include <string>

class CMainProgram {
public:
    static constexpr const char* kProgramName = "Orvelle";
    static constexpr const char* kHiddenArg = "hideWindows";

    // `path` is the program's full path: the launcher's folder followed by kProgramName.
    explicit CMainProgram(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }
    bool Exists() const;
    // True when a process runs this very program file: /proc/<pid>/exe names Path() (also when
    // the file was replaced since, as by an upgrade). Processes whose executable cannot be read
    // (other users', ended ones) are skipped. The launcher's own file never counts, nor a copy of
    // the program elsewhere, whose single-instance guard decides for itself.
    bool IsRunning(const std::string& procFolder = "/proc") const;
    // Starts the program with the single argument kHiddenArg, detached in a new session, with
    // the default signal dispositions and none of the launcher's descriptors beyond 0 to 2.
    // The child's id, or -1 with errno set when it could not be started.
    int Start() const;

private:
    std::string m_path;
};
