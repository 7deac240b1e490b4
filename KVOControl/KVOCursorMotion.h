#pragma once
// The motion consumer: takes the decoder's key-and-motion records from the motion queue and hands
// each one to the presenter service's key entry points. All key handling runs on this thread.

#include <cstdint>

class ObjectManager;

// One key-and-motion event as the presenter service receives it.
struct KVOMotionEvent {
    uint8_t key = 0;
    uint8_t button = 0;  // wireless mouse only
    int dx = 0;
    int dy = 0;
};

// Reads the event out of a report's 16 data bytes; the motion bytes are signed.
KVOMotionEvent MotionEventFromReport(const uint8_t* report);

// Where the events go: the presenter service in the program, a recorder in tests.
class IKVOKeyHandler {
public:
    virtual ~IKVOKeyHandler() = default;
    virtual void DealWithPresenterKeyValue(uint8_t key, int dx, int dy) = 0;
    virtual void DealWithMouseKeyValue(uint8_t key, uint8_t button, int dx, int dy) = 0;
};
// Null drops the events (their records still go back to the queue's pool).
void SetKVOKeyHandler(IKVOKeyHandler* handler);

// Thread body: consumes MovePosQueue() while the link running flag is set; a record with
// exit_tag 1 ends it.
void ThreadMoveThread();
// The same loop on any motion queue.
void RunMoveLoop(ObjectManager& movePosQueue);
