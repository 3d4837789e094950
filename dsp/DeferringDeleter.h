#pragma once
// A Deleter that keeps deletions off the audio thread.
//
// dispose() (any thread, typically the audio thread) is wait-free and
// allocation-free: it pushes the object onto an intrusive stack through the
// object's own SmartPointer::disposedNext link with one atomic exchange.
// flush() (message thread) deletes everything queued, including the objects
// those deletions release in turn, until the queue is empty.
//
// Install it with `currentDeleter = &deleter;` before building a graph; before
// the deleter is destroyed, point currentDeleter back at defaultDeleter and
// flush once more.
#include "dsp/SmartPointer.h"

#include <atomic>

namespace tovdsp
{
class DeferringDeleter : public Deleter
{
public:
    DeferringDeleter() = default;
    ~DeferringDeleter() override; // flushes what is left

    void dispose(SmartPointer* object) override;
    void flush() override;

    // Objects disposed and not yet deleted (a snapshot).
    int pendingCount() const { return pending.load(std::memory_order_acquire); }

private:
    std::atomic<SmartPointer*> head { nullptr };
    std::atomic<int> pending { 0 };
};
} // namespace tovdsp
