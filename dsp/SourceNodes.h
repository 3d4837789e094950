#pragma once
// Single-value source nodes: silence, a constant, and a variable read once per
// block. They pull nothing and ignore the done flag, position and channel.
#include "dsp/TovDSPInternal.h"

#include <atomic>

namespace tovdsp
{
class ScalarBaseTovDSPInternal : public TovDSPInternal
{
public:
    explicit ScalarBaseTovDSPInternal(float initial) : TovDSPInternal(0), value(initial) {}

    void setCurrentValue(float newValue) override
    {
        filledData = nullptr; // the last sample no longer holds the filled value
        TovDSPInternal::setCurrentValue(newValue);
    }

    float value;

protected:
    // Writes x over the block unless the buffer already holds it there: only
    // this node writes its own memory, so a value once filled stays.
    void fill(float x);

private:
    const float* filledData = nullptr;
    int filledLength = 0;
    float filledValue = 0.0f;
};

class NullTovDSPInternal : public ScalarBaseTovDSPInternal
{
public:
    NullTovDSPInternal() : ScalarBaseTovDSPInternal(0.0f) {}

    TovDSPInternal* toControlRate() override; // a new null node
    bool isBlockConstant() const override { return true; }
    bool isConstant() const override { return true; }
    bool isNull() const override { return true; }
    void compute(unsigned char* doneFlag, int position, int channel) override;
    float currentValue(int) const override { return 0.0f; }
};

class ScalarTovDSPInternal : public ScalarBaseTovDSPInternal
{
public:
    explicit ScalarTovDSPInternal(float initial) : ScalarBaseTovDSPInternal(initial) {}

    bool isBlockConstant() const override { return true; }
    bool isConstant() const override { return true; }
    void compute(unsigned char* doneFlag, int position, int channel) override;
    float currentValue(int) const override { return value; }
};

// Binds a variable owned by the caller into the graph. The atomic form is the
// one to use when another thread writes the variable (read relaxed: only the
// whole 32-bit value matters). A null variable reads as 0.
class FloatPtrTovDSPInternal : public ScalarBaseTovDSPInternal
{
public:
    explicit FloatPtrTovDSPInternal(const float* variable);
    explicit FloatPtrTovDSPInternal(const std::atomic<float>* variable);

    bool isBlockConstant() const override { return true; }
    void compute(unsigned char* doneFlag, int position, int channel) override;
    float currentValue(int) const override { return value; }

    float read() const;

    const float* source = nullptr;
    const std::atomic<float>* atomicSource = nullptr;
};
} // namespace tovdsp
