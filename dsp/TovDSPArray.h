#pragma once
// A value type holding one node reference per channel.
//
// Used for channel k, an array of width w answers with its node k mod w, so a
// mono array serves every channel of a wider consumer. The default value is
// the null array: one reference to the shared silent node.
//
// Copying allocates (the pointer storage); evaluation (prepare, pull,
// process, setOutputBuffer, setInputPointer) does not.
#include "dsp/TovDSPInternal.h"

#include <atomic>

namespace tovdsp
{
class TovDSPArray
{
public:
    class Internal; // the reference-counted array list (dsp/ArrayList.h)

    TovDSPArray(); // the null array
    // Takes over the caller's reference. With channel >= 0 it holds
    // node->channelNode(channel) instead and releases the given node.
    explicit TovDSPArray(TovDSPInternal* node, int channel = -1);
    // Takes over n references; when the first pointer is null the array holds
    // n references to the null node instead.
    TovDSPArray(TovDSPInternal* const* nodePointers, int n);
    TovDSPArray(float value);  // a scalar node
    TovDSPArray(double value); // a scalar node holding the value as float
    TovDSPArray(int value);    // a scalar node holding the value as float
    // A float-pointer node reading the variable once per block.
    explicit TovDSPArray(const float* variable);
    explicit TovDSPArray(const std::atomic<float>* variable);

    TovDSPArray(const TovDSPArray& other);
    TovDSPArray& operator=(const TovDSPArray& other);
    ~TovDSPArray();

    // The process-wide null array (returned by reference from lookups).
    static const TovDSPArray& null();

    TovDSPInternal* node(int index) const { return nodes[index]; } // no bounds check
    // This array, or the null array when it holds no node (width 0).
    const TovDSPArray& orNull() const { return width > 0 ? *this : null(); }
    // The current value of the node serving channel (node channel mod width).
    // The array must not be empty.
    float currentValue(int channel) const
    {
        return nodes[static_cast<unsigned int>(channel) % width]->currentValue(channel);
    }

    bool isNull() const;
    bool isNull(int channel) const;
    bool isConstant() const;
    bool sameNodes(const TovDSPArray& other) const;
    static unsigned int maxWidth(const TovDSPArray* arrays, int n);
    // A width-1 array holding channelNode(index) of node index mod width
    // (negative indices wrap); a copy of the null array when empty.
    TovDSPArray channel(int index) const;
    TovDSPArray toControlRate() const;

    // channel < 0: all channels. A finished node (past its finishing position)
    // resets the array to the null array.
    void prepare(int channel, int blockSize, int position);
    // channel < 0: pulls every node and returns nullptr; otherwise the buffer
    // of node channel mod width, pulled with the caller's channel.
    float* pull(int channel, unsigned char* doneFlag, int position) const;
    // prepare and pull of every channel with a fresh done flag.
    void process(int blockSize, int position);

    void setOutputBuffer(int channel, float* memory, int length);
    bool setInputPointer(int channel, float* pointer);
    // Replugs the first node that accepts (replace = true).
    bool replug(const TovDSPArray& source, float fadeSeconds);
    void cascadeA();
    void cascadeB();

    unsigned int width = 0;
    TovDSPInternal** nodes = nullptr; // width pointers, one reference each

private:
    void releaseAll();
    // Becomes the null array without allocating (keeps the pointer storage).
    void resetToNull();
};
} // namespace tovdsp
