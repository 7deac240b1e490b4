#include "PoolFixture.h"

#include "KVORingQueue.h"

#include <atomic>
#include <cstring>

using QueueStress = PoolFixture;

// Producers send numbered nodes through one small queue to several consumers; every node must
// arrive exactly once and go back to the pool.
TEST_F(QueueStress, ManyProducersAndConsumersDeliverEveryNodeExactlyOnce)
{
    constexpr int kProducers = 4;
    constexpr int kConsumers = 3;
    constexpr int kPerProducer = 5000;

    RingQueue* q = nullptr;
    ASSERT_EQ(CreateRingQ(16, &q, 1), 0);
    std::vector<std::atomic<int>> seen(kProducers * kPerProducer);
    std::atomic<int> allocFailures{0};
    std::atomic<int> stopped{0};

    std::vector<std::thread> consumers;
    for (int c = 0; c < kConsumers; ++c)
        consumers.emplace_back([&, c] {
            pMemNode batch[8];
            for (bool stop = false; !stop;) {
                int count = 0;
                if (c == 0)
                    DeRingQTimed(q, batch, 8, &count, 50);  // one consumer uses the timed form
                else
                    DeRingQWait(q, batch, 8, &count);
                for (int i = 0; i < count; ++i) {
                    if (batch[i]->stop_tag == 1) {
                        stop = true;
                    } else {
                        int id = 0;
                        std::memcpy(&id, batch[i]->data, sizeof id);
                        seen[static_cast<size_t>(id)].fetch_add(1);
                    }
                    Mem_Free(batch[i], __FILE__, __func__, __LINE__);
                }
            }
            ++stopped;
        });

    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p)
        producers.emplace_back([&, p] {
            for (int i = 0; i < kPerProducer; ++i) {
                pMemNode node = nullptr;
                if (Mem_Alloc(&node, 64 + (i % 3) * 200, __FILE__) != MEM_OK) {
                    ++allocFailures;
                    continue;
                }
                const int id = p * kPerProducer + i;
                std::memcpy(node->data, &id, sizeof id);
                EnRingQWait(q, node);
            }
        });
    for (auto& t : producers)
        t.join();
    // One batch may carry two stop nodes to one consumer, so keep sending until all have ended.
    while (stopped.load() < kConsumers) {
        pMemNode stop = nullptr;
        ASSERT_EQ(Mem_Alloc(&stop, 128, __FILE__), MEM_OK);
        stop->stop_tag = 1;
        EnRingQWait(q, stop);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (auto& t : consumers)
        t.join();
    pMemNode leftover[16];
    int left = 0;
    DeRingQ(q, leftover, 16, &left);
    for (int i = 0; i < left; ++i)
        Mem_Free(leftover[i], __FILE__, __func__, __LINE__);

    EXPECT_EQ(allocFailures.load(), 0);
    for (size_t id = 0; id < seen.size(); ++id)
        ASSERT_EQ(seen[id].load(), 1) << "node " << id;
    EXPECT_TRUE(RingQIsEmpty(q));
    for (int cls = 0; cls < 3; ++cls)
        EXPECT_EQ(Mem_FreeCount(cls), Mem_CreatedCount(cls)) << "class " << cls;
    DestroyRingQ(q);
}
