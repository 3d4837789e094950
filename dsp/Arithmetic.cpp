#include "dsp/Arithmetic.h"

#include "dsp/Settings.h"

#include <algorithm>
#include <vector>

namespace tovdsp
{
namespace
{
float combine(float x, float y, double (*op)(double, double))
{
    return static_cast<float>(op(static_cast<double>(x), static_cast<double>(y)));
}

template <class Operation> TovDSPArray buildBinary(const TovDSPArray& givenA, const TovDSPArray& givenB)
{
    const TovDSPArray& a = givenA.orNull();
    const TovDSPArray& b = givenB.orNull();
    if (a.isNull())
        return b;
    const unsigned int width = std::max(a.width, b.width);
    std::vector<TovDSPInternal*> made(width);
    for (unsigned int i = 0; i < width; ++i)
    {
        made[i] = new BinaryTovDSPInternal<Operation>(a, b);
        made[i]->setCurrentValue(combine(a.currentValue(i), b.currentValue(i), &Operation::apply));
    }
    return TovDSPArray(made.data(), static_cast<int>(width));
}
} // namespace

BinaryOpTovDSPInternal::BinaryOpTovDSPInternal(const TovDSPArray& a, const TovDSPArray& b)
    : TovDSPInternal(2)
{
    setInput(0, a);
    setInput(1, b);
}

template <class Operation> TovDSPInternal* BinaryTovDSPInternal<Operation>::toControlRate()
{
    return new BinaryTovDSPInternalK<Operation>(inputs[0].toControlRate(), inputs[1].toControlRate());
}

template <class Operation> TovDSPInternal* BinaryTovDSPInternal<Operation>::channelNode(int channel)
{
    return new BinaryTovDSPInternal<Operation>(inputs[0].channel(channel), inputs[1].channel(channel));
}

template <class Operation> void BinaryTovDSPInternal<Operation>::compute(unsigned char* doneFlag, int position, int channel)
{
    const float* a = inputs[0].pull(channel, doneFlag, position);
    const float* b = inputs[1].pull(channel, doneFlag, position);
    float* out = output.data;
    const int n = output.length;
    for (int i = 0; i < n; ++i)
        out[i] = static_cast<float>(Operation::apply(static_cast<double>(a[i]), static_cast<double>(b[i])));
}

template <class Operation> float BinaryTovDSPInternal<Operation>::currentValue(int channel) const
{
    const auto index = static_cast<unsigned int>(channel);
    return combine(inputs[0].currentValue(index), inputs[1].currentValue(index), &Operation::apply);
}

template <class Operation> void BinaryTovDSPInternalK<Operation>::compute(unsigned char* doneFlag, int position, int channel)
{
    const float* a = this->inputs[0].pull(channel, doneFlag, position);
    const float* b = this->inputs[1].pull(channel, doneFlag, position);
    float* out = this->output.data;
    const int n = this->output.length;
    constexpr int period = settings::controlPeriod;
    int elapsed = static_cast<int>(static_cast<unsigned int>(position) % static_cast<unsigned int>(period));
    int i = 0; // write index, equal to the read offset into a and b
    while (i < n)
    {
        float target = held;
        if (elapsed == 0)
            target = static_cast<float>(Operation::apply(static_cast<double>(a[i]), static_cast<double>(b[i])));
        const int end = std::min(n, i + (period - elapsed));
        if (target == held)
        {
            std::fill(out + i, out + end, target);
        }
        else
        {
            const auto step = static_cast<float>((static_cast<double>(target) - static_cast<double>(held))
                                                 / static_cast<double>(static_cast<float>(period)));
            for (int s = i; s < end; ++s)
            {
                out[s] = held;
                held = static_cast<float>(static_cast<double>(held) + static_cast<double>(step));
            }
        }
        held = target;
        elapsed = 0;
        i = end;
    }
}

template class BinaryTovDSPInternal<AddOperation>;
template class BinaryTovDSPInternal<SubtractOperation>;
template class BinaryTovDSPInternal<MultiplyOperation>;
template class BinaryTovDSPInternalK<AddOperation>;
template class BinaryTovDSPInternalK<SubtractOperation>;
template class BinaryTovDSPInternalK<MultiplyOperation>;

MulAddTovDSPInternal::MulAddTovDSPInternal(const TovDSPArray& in, const TovDSPArray& mul, const TovDSPArray& add)
    : TovDSPInternal(3)
{
    setInput(0, in);
    setInput(1, mul);
    setInput(2, add);
}

TovDSPInternal* MulAddTovDSPInternal::toControlRate()
{
    return new MulAddTovDSPInternal(inputs[0].toControlRate(), inputs[1].toControlRate(), inputs[2].toControlRate());
}

TovDSPInternal* MulAddTovDSPInternal::channelNode(int channel)
{
    return new MulAddTovDSPInternal(inputs[0].channel(channel), inputs[1].channel(channel), inputs[2].channel(channel));
}

void MulAddTovDSPInternal::compute(unsigned char* doneFlag, int position, int channel)
{
    const float* in = inputs[0].pull(channel, doneFlag, position);
    const float* mul = inputs[1].pull(channel, doneFlag, position);
    const float* add = inputs[2].pull(channel, doneFlag, position);
    float* out = output.data;
    const int n = output.length;
    for (int i = 0; i < n; ++i)
        out[i] = static_cast<float>(static_cast<double>(in[i]) * static_cast<double>(mul[i]) + static_cast<double>(add[i]));
}

TovDSPArray Add(const TovDSPArray& a, const TovDSPArray& b)
{
    return buildBinary<AddOperation>(a, b);
}

TovDSPArray Subtract(const TovDSPArray& a, const TovDSPArray& b)
{
    return buildBinary<SubtractOperation>(a, b);
}

TovDSPArray Multiply(const TovDSPArray& a, const TovDSPArray& b)
{
    return buildBinary<MultiplyOperation>(a, b);
}

TovDSPArray MulAdd(const TovDSPArray& givenIn, const TovDSPArray& givenMul, const TovDSPArray& givenAdd)
{
    const TovDSPArray operands[3] = { givenIn.orNull(), givenMul.orNull(), givenAdd.orNull() };
    const unsigned int width = TovDSPArray::maxWidth(operands, 3);
    std::vector<TovDSPInternal*> made(width);
    for (unsigned int i = 0; i < width; ++i)
    {
        made[i] = new MulAddTovDSPInternal(operands[0], operands[1], operands[2]);
        made[i]->setCurrentValue(static_cast<float>(static_cast<double>(operands[0].currentValue(i)) * static_cast<double>(operands[1].currentValue(i))
                                                    + static_cast<double>(operands[2].currentValue(i))));
    }
    return TovDSPArray(made.data(), static_cast<int>(width));
}

TovDSPArray applyMulAdd(const TovDSPArray& signal, const TovDSPArray& mul, const TovDSPArray& add)
{
    auto isConstantValue = [](const TovDSPArray& array, float value) {
        return array.width == 1 && array.isConstant() && array.nodes[0]->currentValue(0) == value;
    };
    const bool mulIsOne = isConstantValue(mul, 1.0f);
    const bool addIsZero = isConstantValue(add, 0.0f);
    if (mulIsOne && addIsZero)
        return signal;
    if (mulIsOne)
        return Add(signal, add);
    if (addIsZero)
        return Multiply(signal, mul);
    return MulAdd(signal, mul, add);
}
} // namespace tovdsp
