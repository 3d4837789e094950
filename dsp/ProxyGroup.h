#pragma once
// Multi-output nodes: an owner (output 0) and one proxy per further output.
// The owner computes every output buffer of the group when it is pulled; the
// group is deleted as a whole when the last outside reference to any member
// goes.
//
// References: each proxy holds one on the owner; the owner's table holds each
// proxy's initial reference; the factory's result array holds the owner's
// initial reference and one more on each proxy.
#include "dsp/TovDSPArray.h"

namespace tovdsp
{
class ProxyTovDSPInternal;

class ProxyOwnerTovDSPInternal : public TovDSPInternal
{
public:
    ProxyOwnerTovDSPInternal(unsigned int numInputs, int numProxies);
    ~ProxyOwnerTovDSPInternal() override; // frees the table, never releases the proxies

    void release() override;
    void prepare(int blockSize, int position, int channel) override;
    int outputCount() const override { return static_cast<int>(proxyCount) + 1; }

    // The group as an array: node 0 the owner (taking over its initial
    // reference), node i proxy i with one new reference. Call once, from the
    // factory.
    TovDSPArray makeOutputs();
    TovDSPInternal* outputNode(int k) const { return outputTable[k]; }
    // Output k's buffer made ready for `length` samples; returns the number
    // of samples that may be written (external memory is never resized).
    int readyOutput(int k, int length);

    // Disposes the whole group when nothing outside holds any member.
    void groupCheck();

    unsigned int proxyCount;
    TovDSPInternal** outputTable; // [0] the owner itself, [i] proxy i
    int preparedAt = -1;          // position of the last prepare: breaks owner/proxy prepare loops
};

class ProxyTovDSPInternal : public TovDSPInternal
{
public:
    explicit ProxyTovDSPInternal(ProxyOwnerTovDSPInternal* groupOwner);
    ~ProxyTovDSPInternal() override = default; // the owner's reference goes with the group

    void release() override;
    bool isProxy() const override { return true; }
    void prepare(int blockSize, int position, int channel) override;
    void prepareExtra(int blockSize, int position, int channel) override;
    void compute(unsigned char* doneFlag, int position, int channel) override;
    int outputCount() const override { return owner->outputCount(); }
    bool setInputPointer(float* pointer, int index) override { return owner->setInputPointer(pointer, index); }

    ProxyOwnerTovDSPInternal* owner;
    int preparedAt = -1;

private:
    bool ownerHeldOnlyByGroup() const { return owner->refCount <= static_cast<int>(owner->proxyCount); }
};
} // namespace tovdsp
