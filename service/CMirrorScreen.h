#pragma once
// The mirror key: finds the screen-mirroring application, checks its version, starts it when it
// does not run, and hands it the command "1" over the command pipe. Runs on the service-command
// worker only.
//
// The application is "<XDG_DATA_HOME>/Mirrola/Software/MirrolaSoftware" (XDG_DATA_HOME defaults to
// ~/.local/share); its version is the first line of the text file "version" beside it.

#include <string>

class IKVOMultiDeviceTooltip;
namespace platform {
class ICommandPipe;
class IProcessList;
} // namespace platform

struct MirrorScreenServices {
    platform::ICommandPipe* pipe = nullptr;
    const platform::IProcessList* processes = nullptr;
    // Null: the program's message window, once it exists.
    IKVOMultiDeviceTooltip* tooltip = nullptr;
    // Empty: the folder of the application as above, looked up at each press.
    std::string appFolder;
};

class CMirrorScreen {
public:
    static constexpr const char* kProcessName = "MirrolaSoftware";
    static constexpr const char* kVersionFile = "version";
    static constexpr const char* kMinVersion = "2.4.4.17";
    static constexpr int kNoticeMs = 1000;
    static constexpr int kConnectWaitMs = 100;

    // `pipe` and `processes` must be set and outlive this object.
    explicit CMirrorScreen(MirrorScreenServices services);

    void MirrorScreen();
    bool SendMirrorScreenCommand();

    // -1, 0 or 1 by the dotted numbers, compared one by one as integers (a missing number is 0).
    // An empty or malformed text is below every well-formed one.
    static int CompareVersion(const std::string& a, const std::string& b);
    // The version written beside the application, trimmed; empty when there is none.
    static std::string ReadVersion(const std::string& appFolder);
    static std::string DefaultAppFolder();

private:
    void ShowNotice(const char* key);
    // Starts the program detached, without arguments. False when it could not be started.
    static bool StartDetached(const std::string& program);

    MirrorScreenServices m_services;
};
