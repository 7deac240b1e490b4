#pragma once
// A command record: one heap object reused through an ObjectManager's pool.

#include "FunctionCommand.h"

#include <cstdint>
#include <memory>
#include <string>

constexpr int CMD_INFO_BUFFER_SIZE = 1024;

struct cmdInfo {
    cmdInfo();

    // Back to the fresh state; the buffer grows (zero-filled) when it holds less than `bufferSize`.
    void Reset(int bufferSize);

    int32_t cmdId = 0;
    int32_t cmdArg = 0;
    int32_t devType = -1;
    std::string address = "0.0.0.0";
    int32_t port = 0;
    int32_t channel = 0;
    std::unique_ptr<char[]> data;   // carries raw bytes, e.g. a copied input report
    int32_t dataCapacity = 0;
    int32_t dataLength = 0;
    // The command's payload. The consumer owns it; a record reused from the pool never carries
    // an old one.
    std::unique_ptr<FunctionCommand> obj;
    int32_t sequence = -1;
    int32_t exit_tag = 0;           // 1 tells the consumer to stop
    uint8_t flag = 0;
    int32_t extra0 = 0;
    int32_t extra1 = 0;
};
