#include "ObjectManager.h"

#include <chrono>
#include <cstdio>
#include <thread>

ObjectManager::ObjectManager(int capacity)
    : maxObjects(capacity + 4), capacity(capacity), freePool(capacity + 4), objQueue(capacity)
{
    m_records.reserve(static_cast<size_t>(maxObjects));
}

ObjectManager::~ObjectManager() = default;

cmdInfo* ObjectManager::getObj(int bufferSize)
{
    std::lock_guard lock(m_getLock);
    cmdInfo* obj = freePool.poll(0);
    if (obj == nullptr && created < maxObjects) {
        m_records.push_back(std::make_unique<cmdInfo>());
        obj = m_records.back().get();
        ++created;
    }
    if (obj != nullptr)
        obj->Reset(bufferSize);
    return obj;
}

int ObjectManager::offerObj(cmdInfo* obj)
{
    if (obj == nullptr)
        return 1;
    objQueue.offer(obj);
    return 0;
}

int ObjectManager::offerObj(cmdInfo* obj, int milliseconds)
{
    if (obj == nullptr)
        return 1;
    if (objQueue.offer(obj, milliseconds) != 0) {
        std::printf("ObjectManager::offerObj() failure, because: objQueue.offer(T* obj, int milliseconds) "
                    "failed.objQueue.size=%d.\n",
                    objQueue.size());
        releaseObj(obj);
        return -1;
    }
    return 0;
}

int ObjectManager::offerObjNoWait(cmdInfo* obj)
{
    if (obj == nullptr)
        return 1;
    if (objQueue.offer(obj, 0) != 0) {
        std::printf("ObjectManager::offerObj() failure, because: objQueue.offer(T* obj) failed.objQueue.size=%d.\n",
                    objQueue.size());
        releaseObj(obj);
        return 1;
    }
    return 0;
}

cmdInfo* ObjectManager::takeObj() { return objQueue.take(); }

cmdInfo* ObjectManager::pollObj(int milliseconds) { return objQueue.poll(milliseconds); }

void ObjectManager::releaseObj(cmdInfo* obj)
{
    if (obj == nullptr)
        return;
    // A payload left on a record dies here rather than riding along to the next producer.
    obj->obj.reset();
    if (shrinkOnRelease && obj->dataCapacity > CMD_INFO_BUFFER_SIZE) {
        obj->data = std::make_unique_for_overwrite<char[]>(CMD_INFO_BUFFER_SIZE);
        obj->dataCapacity = CMD_INFO_BUFFER_SIZE;
    }
    freePool.offer(obj);
}

void ObjectManager::offerExitObj()
{
    // The exit record must get in even when the consumer has stopped taking (a full queue) or
    // every record is out: the oldest queued command makes way. Commands dropped this way were
    // meant for a consumer that is ending anyway.
    cmdInfo* exitObj = getObj();
    for (;;) {
        if (exitObj == nullptr) {
            exitObj = objQueue.poll(0);
            if (exitObj == nullptr) {
                // Every record is held by a producer or the consumer; each one comes back soon.
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                exitObj = getObj();
                continue;
            }
            exitObj->Reset(0);
        }
        exitObj->exit_tag = 1;
        if (objQueue.offer(exitObj, 0) == 0)
            return;
        releaseObj(objQueue.poll(0));
    }
}

int ObjectManager::createdCount()
{
    std::lock_guard lock(m_getLock);
    return created;
}
