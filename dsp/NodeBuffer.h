#pragma once
// The output buffer of a node: either memory the node owns, or memory the
// caller lent it (the host's output channel), which is never freed or resized.

namespace tovdsp
{
struct NodeBuffer
{
    // Owns `size` floats (none when size is not positive); the last sample is 0.
    explicit NodeBuffer(int size);
    ~NodeBuffer();
    NodeBuffer(const NodeBuffer&) = delete;
    NodeBuffer& operator=(const NodeBuffer&) = delete;

    // Sets the length; allocates (audio thread!) only when n exceeds the
    // capacity, and then the previous contents are lost. External memory is
    // left alone.
    void resize(int n);

    // Adopts the caller's memory, carrying the current value over into its
    // last sample.
    void makeExternal(float* memory, int newLength);

    float lastSample() const { return (data != nullptr && length >= 1) ? data[length - 1] : 0.0f; }
    void setLastSample(float value)
    {
        if (data != nullptr && length >= 1)
            data[length - 1] = value;
    }

    int length = 0;        // valid samples of the current block
    int capacity = 0;      // floats allocated; 0 for external memory
    float* data = nullptr;
    bool external = false; // memory belongs to the caller
};
} // namespace tovdsp
