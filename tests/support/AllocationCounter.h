#pragma once
// Counts heap allocations and frees, so a test can assert that a piece of
// real-time code allocates nothing:
//
//     AllocationCounter::Scope scope;
//     graph.process(64, position);
//     EXPECT_EQ(scope.allocations(), 0);
//     EXPECT_EQ(scope.frees(), 0);
//
// Every test program links this file, which replaces the global operator new
// and delete (all forms: plain, array, nothrow, sized, aligned) with counting
// versions over malloc/free. Counts are per thread: a Scope sees only what its
// own thread did between its construction and the call, unaffected by other
// threads. Freeing a null pointer is not counted.

namespace testsupport
{
class AllocationCounter
{
public:
    class Scope
    {
    public:
        Scope();
        long allocations() const; // since construction, on this thread
        long frees() const;

    private:
        long startAllocations;
        long startFrees;
    };

    static long threadAllocations(); // running totals of the calling thread
    static long threadFrees();
};
} // namespace testsupport
