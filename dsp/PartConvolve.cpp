#include "dsp/PartConvolve.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tovdsp
{
namespace
{
int wrapIndex(int index, int count)
{
    const int r = index % count;
    return r < 0 ? r + count : r;
}
} // namespace

PartConvolveTovDSPInternal::PartConvolveTovDSPInternal(const PartitionedIR& segment, const TovDSPArray& input)
    : TovDSPInternal(1), ir(segment), engine(new FFTEngineInternal(segment.fftSize)), fftSize(segment.fftSize),
      log2Size(segment.log2Size), halfSize(segment.halfSize), quarterSize(segment.quarterSize),
      spectrumLength(segment.spectrumLength),
      partitionCount(segment.spectra.channelCount > 0 ? segment.partitionCount : 0),
      outputScale(1.0 / (4.0 * segment.fftSize)), outputScaleFloat(static_cast<float>(outputScale)),
      // Zero-filled here rather than at the first block: the audio thread then
      // neither clears nor first-touches these pages.
      fdl(makeZeroedBuffer(1, 2 * segment.spectrumLength)), frames(makeZeroedBuffer(1, 3 * segment.fftSize)),
      accumulator(makeZeroedBuffer(1, segment.fftSize + 2))
{
    setInput(0, input);
    float* base = frames.channelSamples(0);
    frameA = base;
    frameB = base + fftSize;
    outputRing = base + 2 * fftSize;
}

PartConvolveTovDSPInternal::PartConvolveTovDSPInternal(const PartitionedIR& segment, const TovDSPArray& feeds, bool)
    : PartConvolveTovDSPInternal(segment, feeds)
{
    readsFeeds = true;
}

PartConvolveTovDSPInternal::~PartConvolveTovDSPInternal()
{
    delete engine;
}

void PartConvolveTovDSPInternal::reset()
{
    const int h = drawStartPhase(fftSize);
    startPhase = h;
    startSchedule(OverlapFrames::atStartPhase(h, halfSize));
}

void PartConvolveTovDSPInternal::startSchedule(const OverlapFrames& from)
{
    framing = from;
    fdlWriteSlot = 0;
    chunkCount = 0;
    partitionsDone = 0;
    fdlReadSlot = 0;
    validSlots = 1;
    resetPending = 0;
    // frames, accumulator and fdl were zeroed at construction and nothing has
    // touched them since; validSlots keeps unwritten delay-line slots unread.
}

PartConvolveTovDSPInternal::DelayLine PartConvolveTovDSPInternal::ownDelayLine() const
{
    const float* re = fdl.channelSamples(0);
    return { re, re + spectrumLength, partitionCount };
}

void PartConvolveTovDSPInternal::gatherOlder(int count, int spectraChannel, const DelayLine& line,
                                             SpectrumProduct* into)
{
    const float* partitionsRe = ir.partitionRe(spectraChannel, 0);
    const float* partitionsIm = ir.partitionIm(spectraChannel, 0);
    for (int i = 0; i < count; ++i)
    {
        if (fdlReadSlot >= line.slots)
            fdlReadSlot = 0;
        const int partitionOffset = (partitionsDone + 1) * halfSize;
        const int slotOffset = fdlReadSlot * halfSize;
        into[i] = {line.re + slotOffset, line.im + slotOffset, partitionsRe + partitionOffset,
                   partitionsIm + partitionOffset};
        ++fdlReadSlot;
        ++partitionsDone;
    }
}

void PartConvolveTovDSPInternal::accumulateOlder(int count, int spectraChannel, const DelayLine& line)
{
    float* accRe = accumulator.channelSamples(0);
    float* accIm = accRe + halfSize;
    SpectrumProduct products[maxFrameProducts];
    while (count > 0)
    {
        const int chunk = std::min(count, maxFrameProducts);
        gatherOlder(chunk, spectraChannel, line, products);
        for (int i = 0; i < chunk; ++i)
            multiplyAccumulate({accRe, accIm}, {products[i].aRe, products[i].aIm}, {products[i].bRe, products[i].bIm},
                               halfSize);
        count -= chunk;
    }
}

int PartConvolveTovDSPInternal::gatherRestOfFrame(int spectraChannel, const DelayLine& line,
                                                  SpectrumProduct* into)
{
    // Whatever the spreading has not reached (all of it when blocks are at
    // least a partition long, some when the block length changed inside the
    // period) goes into the pass that ends the frame, after what acc holds,
    // so the sum always runs partitions 1, 2, ... then 0.
    const int remaining = validSlots - 1 - partitionsDone;
    const int excess = remaining - (maxFrameProducts - 1);
    if (excess > 0)
        accumulateOlder(excess, spectraChannel, line);
    const int count = std::min(remaining, maxFrameProducts - 1);
    gatherOlder(count, spectraChannel, line, into);
    return count;
}

void PartConvolveTovDSPInternal::spreadOlder(int blockLength, int spectraChannel, const DelayLine& line)
{
    const int remaining = validSlots - 1 - partitionsDone;
    if (remaining <= 0)
        return;
    // K chunks share the older products; the block that completes the frame
    // carries only the transforms and the newest product.
    const int k = halfSize / blockLength - 1;
    int count = remaining;
    if (k > 0 && chunkCount < k)
    {
        const float target = static_cast<float>(static_cast<double>(validSlots - 1) * chunkCount / k);
        count = std::clamp(static_cast<int>(target - static_cast<float>(partitionsDone)), 0, remaining);
    }
    accumulateOlder(count, spectraChannel, line);
}

void PartConvolveTovDSPInternal::completeFrame(int spectraChannel, SpectrumProduct* products, int olderCount)
{
    float* fdlRe = fdl.channelSamples(0) + fdlWriteSlot * halfSize;
    float* fdlIm = fdlRe + spectrumLength;
    forwardTransform(*engine, framing.completing(frameA, frameB), {fdlRe, fdlIm});
    finishFrame(spectraChannel, products, olderCount, fdlRe, fdlIm);
    fdlWriteSlot = fdlWriteSlot == 0 ? partitionCount - 1 : fdlWriteSlot - 1;
    fdlReadSlot = fdlWriteSlot + 1;
}

// The older products, then the newest, summed with acc and inverse
// transformed in one pass.
void PartConvolveTovDSPInternal::finishFrame(int spectraChannel, SpectrumProduct* products, int olderCount,
                                             const float* newestRe, const float* newestIm)
{
    validSlots = std::min(validSlots + 1, partitionCount);
    products[olderCount] = {newestRe, newestIm, ir.partitionRe(spectraChannel, 0), ir.partitionIm(spectraChannel, 0)};

    // Only the first half of the circular result is valid; it goes, scaled,
    // straight into the half of the ring that the output enters next. The
    // accumulator is cleared for the next frame as it is read.
    float* accRe = accumulator.channelSamples(0);
    inverseTransformOfSumScaled(*engine, {accRe, accRe + halfSize}, products, olderCount + 1,
                                outputRing + (framing.nextFrame == 0 ? halfSize : 0), halfSize, outputScaleFloat);

    framing.startNextFrame(halfSize);
    chunkCount = 0;
    partitionsDone = 0;
}

void PartConvolveTovDSPInternal::compute(unsigned char* doneFlag, int position, int channel)
{
    const int n = output.length;
    float* out = output.data;
    const float* in = inputs[0].pull(channel, doneFlag, position); // a feed passes its input through
    if (n <= 0 || out == nullptr)
        return;
    SpectrumFeedTovDSPInternal* feed = nullptr;
    if (readsFeeds)
        feed = static_cast<SpectrumFeedTovDSPInternal*>(
            inputs[0].node(static_cast<int>(static_cast<unsigned int>(channel) % inputs[0].width)));
    if (partitionCount <= 0 || in == nullptr || (feed != nullptr && feed->lastPosition != position))
    {
        std::memset(out, 0, sizeof(float) * static_cast<size_t>(n));
        return;
    }
    if (resetPending != 0)
    {
        if (feed != nullptr) // on the feed's current framing, frames still silent
            startSchedule(feed->blockFraming);
        else
            reset();
    }
    const int spectraChannel = wrapIndex(channel, ir.spectra.channelCount);
    const DelayLine own = ownDelayLine();
    const DelayLine shared = feed != nullptr ? DelayLine { feed->slotRe(0), feed->slotIm(0), feed->slotCount } : own;

    int frame = 0; // frames completed in this block: the feed's frameSlots index
    int done = 0;
    while (done < n)
    {
        const int chunk = framing.chunk(n - done);
        if (chunk > 0)
        {
            if (!onFeed)
                framing.write(frameA, frameB, in + done, chunk);
            std::memcpy(out + done, outputRing + framing.writeA, sizeof(float) * static_cast<size_t>(chunk));
        }
        framing.advance(chunk);
        done += chunk;
        ++chunkCount;
        if (framing.frameComplete())
        {
            const int slot = feed != nullptr && frame < feed->framesInBlock ? feed->frameSlots[frame] : 0;
            ++frame;
            SpectrumProduct products[maxFrameProducts];
            if (onFeed)
            {
                const int older = gatherRestOfFrame(spectraChannel, shared, products);
                finishFrame(spectraChannel, products, older, feed->slotRe(slot), feed->slotIm(slot));
                fdlReadSlot = slot;
            }
            else
            {
                const int older = gatherRestOfFrame(spectraChannel, own, products);
                completeFrame(spectraChannel, products, older);
                // Frames 1 and 2 began before a feed reader did, so they differ
                // from the feed's; the next frame's partitions reach back to
                // frame 3 at the earliest once P + 1 frames are done.
                if (feed != nullptr && ++framesSinceStart > partitionCount)
                {
                    onFeed = true;
                    fdlReadSlot = slot;
                }
            }
        }
        else
        {
            spreadOlder(n, spectraChannel, onFeed ? shared : own);
        }
    }
}

TovDSPInternal* PartConvolveTovDSPInternal::channelNode(int channel)
{
    const int spectraChannels = ir.spectra.channelCount;
    if (channel < 0 || (spectraChannels < 2 && inputs[0].width < 2))
        return retainNode();
    PartitionedIR narrowed = ir;
    if (spectraChannels > 1)
        narrowed.spectra = wrapChannel(ir.spectra.channels[wrapIndex(channel, spectraChannels)]);
    if (readsFeeds)
        return new PartConvolveTovDSPInternal(narrowed, inputs[0].channel(channel), true);
    return new PartConvolveTovDSPInternal(narrowed, inputs[0].channel(channel));
}

TovDSPArray PartConvolve(const Buffer& ir, const TovDSPArray& input, int start, int end, int log2Size)
{
    const int count = std::max<int>(ir.channelCount, static_cast<int>(input.width));
    if (count <= 0)
        return TovDSPArray();
    const PartitionedIR segment = partitionIR(ir, start, end, log2Size);
    std::vector<TovDSPInternal*> nodes(static_cast<size_t>(count));
    for (auto& node : nodes)
        node = new PartConvolveTovDSPInternal(segment, input);
    return TovDSPArray(nodes.data(), count);
}

TovDSPArray PartConvolveFromFeeds(const Buffer& ir, const TovDSPArray& feeds, int start, int end)
{
    if (feeds.width == 0)
        return TovDSPArray();
    const auto* first = static_cast<const SpectrumFeedTovDSPInternal*>(feeds.node(0));
    const PartitionedIR segment = partitionIR(ir, start, end, first->log2Size);
    const int count = std::max<int>(ir.channelCount, static_cast<int>(feeds.width));
    if (count <= 0)
        return TovDSPArray();
    if (segment.partitionCount > first->maxPartitions)
    {
        // Longer than the ring: framed and transformed by nodes of its own,
        // which read the feeds' pass-through of their input (taking no
        // reference on whatever the feeds read).
        std::vector<TovDSPInternal*> nodes(static_cast<size_t>(count));
        for (auto& node : nodes)
            node = new PartConvolveTovDSPInternal(segment, feeds);
        return TovDSPArray(nodes.data(), count);
    }
    std::vector<TovDSPInternal*> nodes(static_cast<size_t>(count));
    for (auto& node : nodes)
        node = new PartConvolveTovDSPInternal(segment, feeds, true);
    return TovDSPArray(nodes.data(), count);
}
} // namespace tovdsp
