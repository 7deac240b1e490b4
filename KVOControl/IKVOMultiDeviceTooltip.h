#pragma once
// Where the transport warns that more than one receiver is plugged in: the tooltip window shows
// the language text of `key` in `section` for `durationMs`.

class IKVOMultiDeviceTooltip {
public:
    virtual ~IKVOMultiDeviceTooltip() = default;
    virtual void ShowTooltip(const char* section, const char* key, int durationMs) = 0;
};
