#pragma once
// One kernel input device of our own, made through uinput: declared once with the event types
// and codes it sends, then fed events, each report closed with a SYN_REPORT. Removed with the
// object.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// One event of a report: type (EV_KEY, EV_REL), code and value.
struct InputEvent {
    uint16_t type = 0;
    uint16_t code = 0;
    int32_t value = 0;
};

class UinputDevice {
public:
    // Event type (EV_KEY, EV_REL) and the codes of it the device may send.
    using Declaration = std::pair<uint16_t, std::vector<int>>;

    // Makes the device `name` (our vendor id, `product` telling our devices apart) through `path`
    // (normally /dev/uinput); null, with the errno-style reason in `error` when given, when that
    // cannot be opened or the device cannot be made.
    static std::unique_ptr<UinputDevice> Create(const std::string& path, const char* name, uint16_t product,
                                                const std::vector<Declaration>& declarations, int* error = nullptr);
    ~UinputDevice();
    UinputDevice(const UinputDevice&) = delete;
    UinputDevice& operator=(const UinputDevice&) = delete;

    // The events of one report, then the report's end; false when the kernel took not all.
    bool Report(std::initializer_list<InputEvent> events);

private:
    explicit UinputDevice(int fd) : m_fd(fd) {}
    const int m_fd;
};

} // namespace platform
