#pragma once
// SDKConfig.ini: diagnostic switches and tuning values, read once at first use. A missing file is
// written with every default so that it can be edited by hand.

#include <iosfwd>
#include <string>

struct KVOSDKConfigValues {
    bool debugRenderTime = false;
    bool dataLatencyAlertEnabled = false;
    double dataLatencyThresholdMs = 500.0;
    bool debugPacketDeltaTime = false;
    bool dataReceiveToProcessLatency = false;
    bool debugDpi = false;
    int dpi = 80;
    float speedScale = 1.0f;
};

class KVOSDKConfig {
public:
    // The process-wide values, loaded from DefaultPath() on first call.
    static const KVOSDKConfigValues& GetInstance();

    // "Quillon/Software/SDKConfig.ini" under $XDG_DATA_HOME (else ~/.local/share); empty when
    // neither is known (no absolute XDG_DATA_HOME, no absolute HOME).
    static std::string DefaultPath();
    // Reads `path`, or writes it with the defaults when it does not exist. Anything unreadable
    // keeps its default.
    static KVOSDKConfigValues Load(const std::string& path);
    // The values of INI text; missing or unreadable keys keep their defaults.
    static KVOSDKConfigValues Parse(std::istream& in);
};

// Switches the reader's gap alert and the decoder's delay log as the values say.
void ApplySDKConfigDiagnostics(const KVOSDKConfigValues& values);
