#include "DeviceMgr.h"
#include "ObjectManager.h"
#include "ProtocolCmdDef.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(ObjectManagerTest, ManagerQueueRunsOutAt516Records)
{
    ObjectManager manager(MANAGER_QUEUE_CAPACITY);
    std::vector<cmdInfo*> out;
    for (int i = 0; i < 516; ++i) {
        cmdInfo* obj = manager.getObj();
        ASSERT_NE(obj, nullptr) << i;
        out.push_back(obj);
    }
    EXPECT_EQ(manager.getObj(), nullptr);
    EXPECT_EQ(manager.createdCount(), 516);

    // A returned record is reused, not a new one created.
    manager.releaseObj(out.back());
    EXPECT_EQ(manager.getObj(), out.back());
    EXPECT_EQ(manager.createdCount(), 516);
}

TEST(ObjectManagerTest, ReusedRecordComesBackFresh)
{
    ObjectManager manager(5);
    cmdInfo* obj = manager.getObj();
    obj->cmdId = CMD_KEY_MSM;
    obj->devType = 1;
    obj->exit_tag = 1;
    obj->address = "10.1.2.3";
    obj->dataLength = 16;
    obj->obj = std::make_unique<FunctionCommand>();
    std::memset(obj->data.get(), 0x55, 16);
    manager.releaseObj(obj);

    cmdInfo* again = manager.getObj();
    ASSERT_EQ(again, obj);
    EXPECT_EQ(again->cmdId, 0);
    EXPECT_EQ(again->devType, -1);
    EXPECT_EQ(again->exit_tag, 0);
    EXPECT_EQ(again->address, "0.0.0.0");
    EXPECT_EQ(again->dataLength, 0);
    EXPECT_EQ(again->obj, nullptr);
    EXPECT_EQ(again->dataCapacity, CMD_INFO_BUFFER_SIZE);
}

TEST(ObjectManagerTest, GrownBufferIsShrunkOnRelease)
{
    ObjectManager manager(5);
    cmdInfo* obj = manager.getObj(4096);
    ASSERT_EQ(obj->dataCapacity, 4096);
    EXPECT_EQ(obj->data[4095], 0);  // zero-filled when grown
    manager.releaseObj(obj);
    EXPECT_EQ(manager.getObj()->dataCapacity, CMD_INFO_BUFFER_SIZE);
}

TEST(ObjectManagerTest, FailedOffersGiveTheRecordBack)
{
    ObjectManager manager(1);
    EXPECT_EQ(manager.offerObj(nullptr), 1);
    EXPECT_EQ(manager.offerObj(nullptr, 10), 1);
    EXPECT_EQ(manager.offerObjNoWait(nullptr), 1);

    ASSERT_EQ(manager.offerObj(manager.getObj()), 0);
    cmdInfo* timed = manager.getObj();
    EXPECT_EQ(manager.offerObj(timed, 20), -1);
    cmdInfo* noWait = manager.getObj();
    EXPECT_EQ(noWait, timed);  // released by the failed offer
    EXPECT_EQ(manager.offerObjNoWait(noWait), 1);
    EXPECT_EQ(manager.queueSize(), 1);
    // Still only the records that were really needed: the queued one and the bounced one.
    EXPECT_EQ(manager.createdCount(), 2);
}

TEST(ObjectManagerTest, ProducerDropsCommandWhenEveryRecordIsOut)
{
    DeviceMgr deviceMgr;  // no worker: nothing drains its queue
    ObjectManager& queue = deviceMgr.CommandQueue();
    for (int i = 0; i < MANAGER_QUEUE_CAPACITY; ++i)
        deviceMgr.PushCmd(CMD_DEVICE_CONNECTED, 0);
    std::vector<cmdInfo*> held;
    for (int i = 0; i < 4; ++i)
        held.push_back(queue.getObj());
    ASSERT_EQ(queue.getObj(), nullptr);

    deviceMgr.PushCmd(CMD_CONNECT_TIMEOUT, 0);  // dropped, and must not wait for room
    EXPECT_EQ(queue.queueSize(), MANAGER_QUEUE_CAPACITY);
    for (cmdInfo* obj : held)
        queue.releaseObj(obj);
}

// A consumer that stopped taking must not keep its owner from queueing the exit record.
TEST(ObjectManagerTest, ExitRecordGetsIntoAFullQueueInPlaceOfTheOldest)
{
    ObjectManager manager(3);
    for (int id = 1; id <= 3; ++id) {
        cmdInfo* obj = manager.getObj();
        obj->cmdId = id;
        ASSERT_EQ(manager.offerObjNoWait(obj), 0);
    }
    // Every record out as well: the four spare ones are held by producers.
    std::vector<cmdInfo*> held;
    while (cmdInfo* obj = manager.getObj())
        held.push_back(obj);
    ASSERT_EQ(held.size(), 4u);

    manager.offerExitObj();
    EXPECT_EQ(manager.queueSize(), 3);
    std::vector<int> ids;
    for (int i = 0; i < 3; ++i) {
        cmdInfo* obj = manager.pollObj(0);
        ids.push_back(obj->exit_tag == 1 ? -1 : obj->cmdId);
        manager.releaseObj(obj);
    }
    EXPECT_EQ(ids, (std::vector<int>{2, 3, -1}));
    for (cmdInfo* obj : held)
        manager.releaseObj(obj);
}

} // namespace
