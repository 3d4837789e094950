#pragma once
// Sample-by-sample arithmetic on arrays: sum, difference, product and
// multiply-add, each formed in double precision and stored as float; plus the
// control-rate forms of the two-input nodes, which read their inputs once per
// settings::controlPeriod samples and ramp linearly in between.
//
// Factories run on the message thread (they allocate); compute allocates
// nothing.
#include "dsp/TovDSPArray.h"

namespace tovdsp
{
struct AddOperation
{
    static double apply(double a, double b) { return a + b; }
};
struct SubtractOperation
{
    static double apply(double a, double b) { return a - b; }
};
struct MultiplyOperation
{
    static double apply(double a, double b) { return a * b; }
};

// Inputs: 0 = a, 1 = b.
class BinaryOpTovDSPInternal : public TovDSPInternal
{
public:
    BinaryOpTovDSPInternal(const TovDSPArray& a, const TovDSPArray& b);
};

template <class Operation> class BinaryTovDSPInternal : public BinaryOpTovDSPInternal
{
public:
    using BinaryOpTovDSPInternal::BinaryOpTovDSPInternal;

    TovDSPInternal* toControlRate() override;
    void compute(unsigned char* doneFlag, int position, int channel) override;
    float currentValue(int channel) const override;
    TovDSPInternal* channelNode(int channel) override;
};

template <class Operation> class BinaryTovDSPInternalK : public BinaryTovDSPInternal<Operation>
{
public:
    using BinaryTovDSPInternal<Operation>::BinaryTovDSPInternal;

    TovDSPInternal* toControlRate() override { return this->retainNode(); }
    void compute(unsigned char* doneFlag, int position, int channel) override;

    float held = 0.0f; // output value reached at the last control step
};

using BinaryAddTovDSPInternal = BinaryTovDSPInternal<AddOperation>;
using BinarySubtractTovDSPInternal = BinaryTovDSPInternal<SubtractOperation>;
using BinaryMultiplyTovDSPInternal = BinaryTovDSPInternal<MultiplyOperation>;
using BinaryAddTovDSPInternalK = BinaryTovDSPInternalK<AddOperation>;
using BinarySubtractTovDSPInternalK = BinaryTovDSPInternalK<SubtractOperation>;
using BinaryMultiplyTovDSPInternalK = BinaryTovDSPInternalK<MultiplyOperation>;

// in * mul + add. Inputs: 0 = in, 1 = mul, 2 = add.
class MulAddTovDSPInternal : public TovDSPInternal
{
public:
    MulAddTovDSPInternal(const TovDSPArray& in, const TovDSPArray& mul, const TovDSPArray& add);

    TovDSPInternal* toControlRate() override;
    void compute(unsigned char* doneFlag, int position, int channel) override;
    TovDSPInternal* channelNode(int channel) override;
};

// A null first operand stands for "absent": the result is b itself (so
// Subtract(null, b) is b, not -b). A null second operand is silence.
TovDSPArray Add(const TovDSPArray& a, const TovDSPArray& b);
TovDSPArray Subtract(const TovDSPArray& a, const TovDSPArray& b);
TovDSPArray Multiply(const TovDSPArray& a, const TovDSPArray& b);
TovDSPArray MulAdd(const TovDSPArray& in, const TovDSPArray& mul, const TovDSPArray& add);
// signal * mul + add, skipping a constant 1 mul and a constant 0 add.
TovDSPArray applyMulAdd(const TovDSPArray& signal, const TovDSPArray& mul, const TovDSPArray& add);
} // namespace tovdsp
