#pragma once
// A pool of command records plus the queue that carries them from producers to one consumer.
// Records are created on demand up to capacity + 4 and then recycled, so steady traffic does not
// allocate. The manager owns every record it created and frees them all when it goes.

#include "BlockingQueue.h"
#include "cmdInfo.h"

#include <memory>
#include <mutex>
#include <vector>

class ObjectManager {
public:
    explicit ObjectManager(int capacity);
    ~ObjectManager();
    ObjectManager(const ObjectManager&) = delete;
    ObjectManager& operator=(const ObjectManager&) = delete;

    // A fresh record, or null when all maxObjects records are out.
    cmdInfo* getObj(int bufferSize = 0);
    // Waits for room. 1 for null, else 0.
    int offerObj(cmdInfo* obj);
    // Waits at most `milliseconds`. 1 for null, -1 when the queue stayed full (the record is
    // released), else 0.
    int offerObj(cmdInfo* obj, int milliseconds);
    // Never waits. 1 for null or a full queue (the record is released), else 0.
    int offerObjNoWait(cmdInfo* obj);
    cmdInfo* takeObj();
    // Waits at most `milliseconds` for a record; null when none came.
    cmdInfo* pollObj(int milliseconds);
    void releaseObj(cmdInfo* obj);

    // Queues a record with exit_tag 1 without depending on the consumer: on a full queue
    // the oldest queued record is dropped to make room, and when every record is out the oldest
    // queued one is reused.
    void offerExitObj();

    int queueSize() { return objQueue.size(); }
    int createdCount();

    const int maxObjects;
    const int capacity;
    const uint8_t shrinkOnRelease = 1;

private:
    int created = 0;
    std::vector<std::unique_ptr<cmdInfo>> m_records;  // every record ever created
    BlockingQueue<cmdInfo> freePool;
    BlockingQueue<cmdInfo> objQueue;
    std::mutex m_getLock;
};
