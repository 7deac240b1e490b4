#include "cmdInfo.h"

cmdInfo::cmdInfo() : data(std::make_unique<char[]>(CMD_INFO_BUFFER_SIZE)), dataCapacity(CMD_INFO_BUFFER_SIZE) {}

void cmdInfo::Reset(int bufferSize)
{
    cmdId = 0;
    cmdArg = 0;
    devType = -1;
    address = "0.0.0.0";
    port = 0;
    channel = 0;
    dataLength = 0;
    obj.reset();
    sequence = -1;
    exit_tag = 0;
    flag = 0;
    extra0 = 0;
    extra1 = 0;
    if (dataCapacity < bufferSize) {
        data = std::make_unique<char[]>(static_cast<size_t>(bufferSize));
        dataCapacity = bufferSize;
    }
}
