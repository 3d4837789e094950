#include "dsp/DeferringDeleter.h"

#include <thread>

namespace tovdsp
{
namespace
{
// Marks a link not yet written: the producer is between its two steps.
SmartPointer* const unlinked = reinterpret_cast<SmartPointer*>(alignof(SmartPointer));
} // namespace

DeferringDeleter::~DeferringDeleter()
{
    flush();
}

void DeferringDeleter::dispose(SmartPointer* object)
{
    if (object == nullptr)
        return;
    pending.fetch_add(1, std::memory_order_relaxed);
    // Exchange instead of a compare-and-swap loop: one step whatever the
    // other producers do. The consumer waits for the link to be written.
    object->disposedNext.store(unlinked, std::memory_order_relaxed);
    SmartPointer* previous = head.exchange(object, std::memory_order_acq_rel);
    object->disposedNext.store(previous, std::memory_order_release);
}

void DeferringDeleter::flush()
{
    for (;;)
    {
        SmartPointer* object = head.exchange(nullptr, std::memory_order_acq_rel);
        if (object == nullptr)
            return;
        while (object != nullptr)
        {
            SmartPointer* next = object->disposedNext.load(std::memory_order_acquire);
            while (next == unlinked)
            {
                std::this_thread::yield();
                next = object->disposedNext.load(std::memory_order_acquire);
            }
            delete object; // may dispose further objects onto head
            pending.fetch_sub(1, std::memory_order_relaxed);
            object = next;
        }
    }
}
} // namespace tovdsp
