#pragma once
// The base class of every graph node.
//
// A node produces one block of float samples per pass into `output`. It reads
// its inputs through arrays (one node per channel) and is evaluated by pull:
// each node computes at most once per block position and hands its cached
// buffer to every further consumer of that position.
//
// Threads: a graph is built and wired on one thread and evaluated on one
// (normally the audio thread), never both at once. prepare/pull/compute do not
// allocate unless a block is longer than a buffer's capacity.
#include "dsp/NodeBuffer.h"
#include "dsp/SmartPointer.h"

namespace tovdsp
{
class TovDSPArray;

class TovDSPInternal : public SmartPointer
{
public:
    // Every input starts as the null array; the buffer has settings::blockSize samples.
    explicit TovDSPInternal(unsigned int numInputs);
    ~TovDSPInternal() override; // releases the inputs; frees the buffer unless external

    // A control-rate variant of this node (default: the node itself, one more reference).
    virtual TovDSPInternal* toControlRate();
    virtual void cascadeA();
    virtual void cascadeB();

    virtual bool isProxy() const { return false; }         // an extra output of a multi-output node
    virtual bool isBlockConstant() const { return false; } // one value over a block
    virtual bool isConstant() const { return false; }      // one value for ever
    virtual bool isNull() const { return false; }

    // Sizes the buffer and prepares the inputs; idempotent within a pass.
    virtual void prepare(int blockSize, int position, int channel);
    virtual void prepareExtra(int blockSize, int position, int channel);
    // Computes once per position and returns output.data.
    virtual float* pull(unsigned char* doneFlag, int position, int channel);
    virtual void compute(unsigned char* doneFlag, int position, int channel) = 0;

    virtual int outputCount() const { return 1; }
    virtual float currentValue(int channel) const;
    virtual void setCurrentValue(float value);
    virtual bool setInputPointer(float* pointer, int index);
    virtual bool replug(const TovDSPArray& source, bool replace, float fadeSeconds);
    virtual const TovDSPArray& currentSource() const; // the null array unless a plug
    // A node serving exactly one channel (default: this node, one more reference).
    virtual TovDSPInternal* channelNode(int channel);

    TovDSPInternal* retainNode()
    {
        retain();
        return this;
    }
    // Replaces input `index` (ignored when out of range).
    void setInput(unsigned int index, const TovDSPArray& array);

    unsigned int inputCount;
    bool finished = false;     // set once, by the pull that saw the done flag at 1
    TovDSPArray* inputs;       // inputCount arrays, owned
    int lastPosition = -1;     // position of the last computed block
    int finishedAt = -1;       // position at which the node finished
    NodeBuffer output;

protected:
    // True when this very preparation (position, length, channel) has been
    // done already; records it otherwise. A node reached along many paths of
    // one graph is then prepared once per pass, not once per path.
    bool preparedAlready(int blockSize, int position, int channel)
    {
        if (position == preparedPosition && blockSize == preparedLength && channel == preparedChannel)
            return true;
        preparedPosition = position;
        preparedLength = blockSize;
        preparedChannel = channel;
        return false;
    }

private:
    int preparedPosition = -1;
    int preparedLength = -1;
    int preparedChannel = -1;
};

// The shared silent node. The first request leaves its count at 100000 (and
// hands out one of those); every later request adds one reference.
TovDSPInternal* nullNode();
} // namespace tovdsp
