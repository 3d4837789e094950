#include "support/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local long allocationsOfThread = 0;
thread_local long freesOfThread = 0;

void* allocate(std::size_t size)
{
    ++allocationsOfThread;
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    ++allocationsOfThread;
    std::size_t align = static_cast<std::size_t>(alignment);
    if (align < sizeof(void*))
        align = sizeof(void*);
    void* memory = nullptr;
    if (posix_memalign(&memory, align, size == 0 ? 1 : size) != 0)
        return nullptr;
    return memory;
}

void deallocate(void* memory) noexcept
{
    if (memory == nullptr)
        return;
    ++freesOfThread;
    std::free(memory);
}

void* orThrow(void* memory)
{
    if (memory == nullptr)
        throw std::bad_alloc();
    return memory;
}
} // namespace

namespace testsupport
{
AllocationCounter::Scope::Scope()
    : startAllocations(allocationsOfThread), startFrees(freesOfThread)
{
}

long AllocationCounter::Scope::allocations() const
{
    return allocationsOfThread - startAllocations;
}

long AllocationCounter::Scope::frees() const
{
    return freesOfThread - startFrees;
}

long AllocationCounter::threadAllocations()
{
    return allocationsOfThread;
}

long AllocationCounter::threadFrees()
{
    return freesOfThread;
}
} // namespace testsupport

void* operator new(std::size_t size) { return orThrow(allocate(size)); }
void* operator new[](std::size_t size) { return orThrow(allocate(size)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new(std::size_t size, std::align_val_t a) { return orThrow(allocateAligned(size, a)); }
void* operator new[](std::size_t size, std::align_val_t a) { return orThrow(allocateAligned(size, a)); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept { return allocateAligned(size, a); }
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept { return allocateAligned(size, a); }

void operator delete(void* p) noexcept { deallocate(p); }
void operator delete[](void* p) noexcept { deallocate(p); }
void operator delete(void* p, std::size_t) noexcept { deallocate(p); }
void operator delete[](void* p, std::size_t) noexcept { deallocate(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { deallocate(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { deallocate(p); }
void operator delete(void* p, std::align_val_t) noexcept { deallocate(p); }
void operator delete[](void* p, std::align_val_t) noexcept { deallocate(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { deallocate(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { deallocate(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { deallocate(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { deallocate(p); }
