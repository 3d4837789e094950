#include "tools/render/Session.h"

#include "tools/render/Settings.h"

#include <algorithm>
#include <cmath>

namespace morvane3::render
{

void applySettings(PluginInstance& instance, const EffectSettings& settings)
{
    if (! settings.stateChunk.empty())
        instance.setChunk(settings.stateChunk);
    if (settings.overrides.empty())
        return;

    std::vector<std::pair<std::string, float>> resolved; // the plug-in's own names
    for (const auto& o : settings.overrides)
    {
        const int index = instance.findParameter(o.name);
        if (index < 0)
            throw HostError("unknown parameter '" + o.name + "' (from " + o.origin
                            + "); --info lists the parameters the plug-in reports");
        instance.setParameter(index, o.value);
        resolved.emplace_back(instance.parameterName(index), o.value);
    }

    const auto text = decodeStateChunk(instance.chunk());
    if (! text)
        return;
    auto element = parseFirstElement(*text);
    if (! element)
        return;
    // The document carries the rate the effect works at, not the fallback rate a
    // restore sets; keep the fallback that a given state chunk asked for.
    if (const auto stateText = decodeStateChunk(settings.stateChunk))
        if (const auto state = parseFirstElement(*stateText))
            if (const auto* rate = state->find("sampleRate"))
                element->set(rate->name, rate->value);
    for (const auto& [name, value] : resolved)
        element->set(name, formatSettingValue(static_cast<double>(value)));
    instance.setChunk(encodeStateChunk(toXmlText(*element)));
}

std::unique_ptr<PluginInstance> startEffect(const PluginLibrary& library, int channels, double sampleRate, int blockSize,
                                            const EffectSettings& settings)
{
    auto instance = std::make_unique<PluginInstance>(library);
    // Plug-ins that keep their layout are still usable: processAudio maps channels.
    instance->setArrangement(channels);
    if (instance->outputCount() < 1)
        throw HostError("the plug-in has no audio outputs");
    instance->prepare(sampleRate, blockSize);
    applySettings(*instance, settings);
    instance->resume();
    return instance;
}

std::vector<int> blockLengths(std::size_t total, int blockSize, std::optional<std::uint64_t> seed)
{
    std::vector<int> lengths;
    std::uint64_t state = seed.value_or(0);
    std::size_t done = 0;
    while (done < total)
    {
        int n = blockSize;
        if (seed)
        {
            // splitmix64: small, fast and the same on every platform, so a seed names
            // the same block pattern everywhere.
            state += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = state;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            z ^= z >> 31;
            n = 1 + static_cast<int>(z % static_cast<std::uint64_t>(blockSize));
        }
        n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(n), total - done));
        lengths.push_back(n);
        done += static_cast<std::size_t>(n);
    }
    return lengths;
}

Audio processAudio(PluginInstance& instance, const Audio& input, const ProcessOptions& options)
{
    const int fileChannels = input.channelCount();
    // Buffers for every pin the effect reports, and never fewer than the layout it
    // accepted.
    const int ins = std::max(instance.inputCount(), instance.acceptedChannels());
    const int outs = std::max(instance.outputCount(), instance.acceptedChannels());
    if (fileChannels < 1)
        throw HostError("the input has no channels");
    if (outs < 1)
        throw HostError("the plug-in has no audio outputs");

    const std::size_t inputFrames = input.frameCount();
    const std::size_t tailFrames = static_cast<std::size_t>(std::llround(std::max(0.0, options.tailSeconds) * input.sampleRate));
    const std::size_t total = inputFrames + tailFrames;

    const std::size_t maxBlock = static_cast<std::size_t>(options.blockSize);
    std::vector<std::vector<float>> inBuffers(static_cast<std::size_t>(std::max(ins, 1)), std::vector<float>(maxBlock));
    std::vector<std::vector<float>> outBuffers(static_cast<std::size_t>(outs), std::vector<float>(maxBlock));
    std::vector<float*> inPointers, outPointers;
    for (auto& b : inBuffers)
        inPointers.push_back(b.data());
    for (auto& b : outBuffers)
        outPointers.push_back(b.data());

    Audio output;
    output.sampleRate = input.sampleRate;
    output.channels.assign(static_cast<std::size_t>(fileChannels), std::vector<float>(total));

    std::size_t position = 0;
    for (const int n : blockLengths(total, options.blockSize, options.randomBlockSeed))
    {
        const std::size_t count = static_cast<std::size_t>(n);
        // A plug-in wider than the file hears the file's last channel on its extra inputs.
        for (std::size_t c = 0; c < inBuffers.size(); ++c)
        {
            const auto& source = input.channels[std::min(c, static_cast<std::size_t>(fileChannels - 1))];
            float* dest = inBuffers[c].data();
            for (std::size_t i = 0; i < count; ++i)
            {
                const std::size_t at = position + i;
                dest[i] = at < inputFrames ? source[at] : 0.0f;
            }
        }
        for (auto& b : outBuffers)
            std::fill(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(count), 0.0f);

        instance.process(inPointers.data(), outPointers.data(), n);

        for (std::size_t c = 0; c < output.channels.size(); ++c)
        {
            const auto& source = outBuffers[std::min(c, static_cast<std::size_t>(outs - 1))];
            std::copy(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(count),
                      output.channels[c].begin() + static_cast<std::ptrdiff_t>(position));
        }
        position += count;
        if (options.progress)
            options.progress(static_cast<double>(position) / static_cast<double>(total));
    }
    return output;
}

} // namespace morvane3::render
