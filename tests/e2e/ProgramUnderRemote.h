#pragma once
// The real Orvelle in a fresh install folder, with the virtual remote playing a script as its
// receiver: what the end-to-end tests of the custom keys and the slide show start.

#include "ChildProcess.h"
#include "TempDir.h"

#include <filesystem>
#include <string>
#include <vector>

struct ProgramUnderRemote {
    pid_t remote = -1;
    pid_t program = -1;

    // Copies the program and its data from the build's bin folder into `install` (with
    // `configIni` as config.ini when not empty), starts the remote on a socket in `work` with
    // `script`, then the program, hidden. `env` is the children's environment (with DISPLAY).
    void Start(const std::filesystem::path& install, const std::filesystem::path& work, const std::string& script,
               const std::string& configIni, std::vector<std::string> env, int logFd)
    {
        namespace fs = std::filesystem;
        const fs::path bin = ORVELLE_BIN_DIR;
        for (const char* file : {"Orvelle", "ImgRes.zip", "InitConfig.ini", "SetupVersion.txt", "libHook.so"})
            fs::copy_file(bin / file, install / file);
        if (!configIni.empty())
            WriteWholeFile((install / "config.ini").string(), configIni);
        fs::create_directories(work / "rt");
        fs::permissions(work / "rt", fs::perms::owner_all);
        WriteWholeFile((work / "remote.txt").string(), script);
        const std::string socket = (work / "remote.sock").string();
        remote = Spawn({(bin / "orvelle-virtual-remote").string(), "--socket", socket, "--script",
                        (work / "remote.txt").string(), "--rate", "50", "--duration", "120000", "--quiet", "--record",
                        (work / "frames.txt").string()},
                       env);
        env.push_back("ORVELLE_VIRTUAL_RECEIVER=" + socket);
        env.push_back("XDG_RUNTIME_DIR=" + (work / "rt").string());
        env.push_back("LSAN_OPTIONS=suppressions=" ORVELLE_LSAN_SUPP ":print_suppressions=0");
        program = Spawn({(install / "Orvelle").string(), "hideWindows"}, env, logFd);
    }
    void Stop()
    {
        ::Stop(program);
        ::Stop(remote);
        program = remote = -1;
    }
};
