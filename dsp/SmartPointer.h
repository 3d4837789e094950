#pragma once
// Intrusive reference counting for every shared library object, and the
// strategy that deletes them. Counts are plain integers: one graph is built,
// wired and evaluated by one thread at a time.
#include <atomic>

namespace tovdsp
{
class SmartPointer;

// Deletes library objects whose last reference went. A subclass may defer the
// deletion (for example off the audio thread) and complete it in flush().
class Deleter
{
public:
    virtual ~Deleter() = default;
    virtual void dispose(SmartPointer* object); // deletes it now; nothing for null
    virtual void flush() {}
};

extern Deleter defaultDeleter;
extern Deleter* currentDeleter; // every deletion of a library object goes through it

// The reference count of a shared object. The thread that builds a graph and
// the one that evaluates it both touch counts: the audio thread reads a group's
// counts while preparing it, while the message thread completes deferred
// deletions that release references. A relaxed atomic keeps those accesses
// free of data races at the cost of nothing the audio thread would notice;
// the values are exactly those of a plain count.
class RefCount
{
public:
    RefCount(int initial = 1) : value(initial) {}
    RefCount(const RefCount&) = delete;
    RefCount& operator=(const RefCount&) = delete;

    operator int() const { return value.load(std::memory_order_relaxed); }
    RefCount& operator=(int v)
    {
        value.store(v, std::memory_order_relaxed);
        return *this;
    }
    int operator++() { return value.fetch_add(1, std::memory_order_relaxed) + 1; }
    // Release ordering so the thread that sees zero also sees every write made
    // through the other references before they went.
    int operator--() { return value.fetch_sub(1, std::memory_order_acq_rel) - 1; }

private:
    std::atomic<int> value;
};

class SmartPointer
{
public:
    SmartPointer() = default;
    SmartPointer(const SmartPointer&) = delete;
    SmartPointer& operator=(const SmartPointer&) = delete;
    virtual ~SmartPointer() = default;

    // When the count reaches zero the object is handed to currentDeleter.
    virtual void release();

    SmartPointer* retain()
    {
        if (flags & countedFlag)
            ++refCount;
        return this;
    }

    bool isCounted() const { return (flags & countedFlag) != 0; }
    void clearCounted() { flags = static_cast<unsigned char>(flags & ~countedFlag); }

    RefCount refCount { 1 };
    unsigned char flags = countedFlag;

    // Link used by a deferring deleter to queue the object without allocating.
    // Untouched while the object is alive.
    std::atomic<SmartPointer*> disposedNext { nullptr };

    static constexpr unsigned char countedFlag = 1; // bit 0: cleared once handed over for deletion
};

// Typed retain for convenience: retained(node) returns node with one more reference.
template <typename T> T* retained(T* object)
{
    if (object != nullptr)
        object->retain();
    return object;
}
} // namespace tovdsp
