// The deferring deleter: disposal from many threads at once, flushing on
// another, chains of releases, and no allocation on the disposing side.
#include "GraphTestSupport.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <thread>

using namespace tovdsp;

namespace
{
std::atomic<int> alive { 0 };

// Counts live instances; optionally holds a reference to another object that
// it releases when deleted.
class Tracked : public SmartPointer
{
public:
    explicit Tracked(SmartPointer* heldObject = nullptr) : held(heldObject) { ++alive; }
    ~Tracked() override
    {
        if (held != nullptr)
            held->release();
        --alive;
    }
    SmartPointer* held;
};

struct InstalledDeleter
{
    DeferringDeleter deleter;
    InstalledDeleter() { currentDeleter = &deleter; }
    ~InstalledDeleter()
    {
        currentDeleter = &defaultDeleter;
        deleter.flush();
    }
};
} // namespace

TEST(DeferringDeleter, ReleaseQueuesTheObjectAndFlushDeletesWholeChains)
{
    InstalledDeleter installed;
    alive = 0;
    auto* chain = new Tracked(new Tracked(new Tracked()));
    chain->release();
    EXPECT_EQ(alive.load(), 3);
    EXPECT_EQ(installed.deleter.pendingCount(), 1);
    installed.deleter.flush();
    EXPECT_EQ(alive.load(), 0);
    EXPECT_EQ(installed.deleter.pendingCount(), 0);
    installed.deleter.dispose(nullptr);
    EXPECT_EQ(installed.deleter.pendingCount(), 0);
}

TEST(DeferringDeleter, DisposingAllocatesAndFreesNothing)
{
    InstalledDeleter installed;
    alive = 0;
    std::vector<Tracked*> objects;
    for (int i = 0; i < 100; ++i)
        objects.push_back(new Tracked());
    {
        testsupport::AllocationCounter::Scope scope;
        for (Tracked* object : objects)
            object->release();
        EXPECT_EQ(scope.allocations(), 0);
        EXPECT_EQ(scope.frees(), 0);
    }
    EXPECT_EQ(installed.deleter.pendingCount(), 100);
    testsupport::AllocationCounter::Scope flushing;
    installed.deleter.flush();
    EXPECT_EQ(flushing.frees(), 100);
    EXPECT_EQ(alive.load(), 0);
}

TEST(DeferringDeleter, ConcurrentDisposersAndAFlusherLoseNothing)
{
    DeferringDeleter deleter;
    alive = 0;
    constexpr int producers = 4;
    constexpr int perProducer = 20000;
    std::vector<std::vector<Tracked*>> batches(producers);
    for (auto& batch : batches)
        for (int i = 0; i < perProducer; ++i)
            batch.push_back(new Tracked(i % 3 == 0 ? new Tracked() : nullptr));
    const int created = alive.load();

    std::atomic<int> running { producers };
    std::atomic<bool> go { false };
    std::vector<std::thread> threads;
    for (auto& batch : batches)
        threads.emplace_back([&deleter, &batch, &running, &go] {
            while (!go.load())
                std::this_thread::yield();
            for (Tracked* object : batch)
            {
                object->clearCounted();
                deleter.dispose(object);
            }
            --running;
        });
    std::thread flusher([&deleter, &running, &go] {
        while (!go.load())
            std::this_thread::yield();
        while (running.load() > 0)
            deleter.flush();
    });
    go = true;
    for (auto& t : threads)
        t.join();
    flusher.join();
    EXPECT_GT(created, producers * perProducer);
    // Whatever the flusher did not reach is still queued; the objects they
    // held went through the global deleter as they were released.
    deleter.flush();
    EXPECT_EQ(deleter.pendingCount(), 0);
    EXPECT_EQ(alive.load(), 0);
}
