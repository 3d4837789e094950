#include "editor/PresetFiles.h"

#include "editor/Morvane3AudioProcessorEditor.h"
#include "processor/Morvane3AudioProcessor.h"
#include "processor/ParameterScaler.h"
#include "processor/SettingsDocument.h"
#include "presets/PresetReader.h"

#include <algorithm>
#include <cstring>

namespace morvane3
{
namespace
{
constexpr const char* settingsTag = "MORVANESETTINGS";

// Settings of one channel in the units the user sees.
struct ChannelSettings
{
    int cabinet, microphone, position, distance; // selection codes
    float hpfHz, lmfHz, lmGainDb, hmfHz, hmGainDb, lpfHz, level;
    bool mute, hpfBypass, lmfBypass, hmfBypass, lpfBypass;
};

struct FactoryPreset
{
    const char* name;
    float outputLevel;
    ChannelSettings channels[2];
};

// Cabinet codes: 10 1960, 30 Eagle, 50 Green, 70 Ogre, 80 Oversize, 130 Blackface,
// 140 Chordal, 170 Tweed, 190 Manatee, 200 Motown. Microphones: 10 121, 30 421,
// 40 545, 50 57, 70 Reference, 80 U87. Positions: 10 on, 20 off axis.
// Distances: 10 close, 20 mid, 30 far.
const FactoryPreset factoryPresets[] = {
    {"Modern Metal Tight", 0.5f,
     {{80, 50, 10, 10, 90, 400, -3.0f, 3000, 1.5f, 10000, 0.55f, false, false, false, false, false},
      {70, 10, 20, 20, 80, 250, -2.0f, 5000, 1.0f, 9000, 0.4f, false, false, false, false, false}}},
    {"British Crunch", 0.5f,
     {{10, 50, 10, 10, 60, 300, 0.0f, 2500, 1.5f, 11000, 0.5f, false, false, true, false, false},
      {50, 10, 20, 20, 60, 300, 0.0f, 4000, 0.0f, 12000, 0.35f, false, false, true, true, false}}},
    {"Vintage Blues Combo", 0.55f,
     {{170, 10, 20, 10, 40, 200, 1.0f, 2000, -1.0f, 9500, 0.5f, false, false, false, false, false},
      {130, 80, 10, 30, 40, 300, 0.0f, 4000, 0.0f, 12000, 0.3f, false, false, true, true, false}}},
    {"Clean Jazz", 0.5f,
     {{140, 70, 10, 20, 40, 300, 0.0f, 3000, -2.0f, 8000, 0.6f, false, true, true, false, false},
      {140, 80, 20, 30, 40, 300, 0.0f, 4000, 0.0f, 14000, 0.5f, true, true, true, true, true}}},
    {"Bass DI Blend", 0.5f,
     {{200, 30, 10, 10, 20, 250, 2.0f, 1500, -1.5f, 7000, 0.6f, false, true, false, false, false},
      {190, 40, 20, 20, 30, 150, 1.0f, 3000, 0.0f, 9000, 0.3f, false, false, false, true, false}}},
};

constexpr int numFactory = (int) (sizeof(factoryPresets) / sizeof(factoryPresets[0]));

// The row of a preset attribute, spelt as the preset reader spells it.
int parameterIndexOf(const char* presetName)
{
    for (int index = 0; index < numParameters; ++index)
        if (std::strcmp(parameterInfo(index).name, presetName) == 0)
            return index;
    return -1;
}
} // namespace

juce::File defaultPresetsFolder()
{
    return juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory).getChildFile("Morvane3Presets");
}

bool preparePresetsFolder(const juce::File& folder)
{
    if (folder.exists() || !folder.createDirectory().wasOk())
        return false;
    installFactoryPresets(folder);
    return true;
}

juce::File withPresetExtension(const juce::File& chosen)
{
    return chosen.withFileExtension("mv3");
}

std::unique_ptr<juce::XmlElement> makePresetElement(const ParameterValues& values)
{
    auto element = std::make_unique<juce::XmlElement>(settingsTag);
    for (int index = 0; index < numParameters; ++index)
        if (index != sampleRateIndex)
            element->setAttribute(parameterInfo(index).name, formatSettingsNumber((double) values[(size_t) index]));
    return element;
}

bool writePresetFile(const juce::XmlElement& element, const juce::File& target)
{
    if (target == juce::File() || target.isDirectory())
        return false;
    // A folder typed into the chooser that does not exist yet is made, as the
    // framework's file creation does; only the folders, so that a failed write
    // leaves no empty preset behind.
    if (!target.getParentDirectory().createDirectory().wasOk())
        return false;

    juce::TemporaryFile temporary(target);
    {
        juce::FileOutputStream out(temporary.getFile());
        if (!out.openedOk())
            return false;
        element.writeTo(out, juce::XmlElement::TextFormat());
        out.flush();
        if (out.getStatus().failed())
            return false;
    }
    return temporary.overwriteTargetFileWithTemporary();
}

bool savePreset(const Morvane3AudioProcessor& processor, const juce::File& chosen)
{
    ParameterValues values {};
    for (int index = 0; index < numParameters; ++index)
        values[(size_t) index] = processor.getParameterValue(index);
    return writePresetFile(*makePresetElement(values), withPresetExtension(chosen));
}

const std::array<int, numParameters - 1>& presetApplyOrder() noexcept
{
    // Channel 1, channel 2, master, then the switches: selectors first in each
    // channel, so the impulse-response name is complete when the boxes notify.
    static const std::array<int, numParameters - 1> order{{
        c1Cabinet, c1Microphone, c1MicPos, c1MicDistance, c1HPF, c1LPF, c1LMF, c1HMF, c1LMLevel, c1HMLevel, c1Level,
        c2Cabinet, c2Microphone, c2MicPos, c2MicDistance, c2HPF, c2LPF, c2LMF, c2HMF, c2LMLevel, c2HMLevel, c2Level,
        outputLevel, c1Mute, c2Mute, c1HPFBypass, c1LMFBypass, c1HMFBypass, c1LPFBypass,
        c2HPFBypass, c2LMFBypass, c2HMFBypass, c2LPFBypass,
    }};
    return order;
}

bool loadPreset(Morvane3AudioProcessorEditor& editor, const juce::File& file)
{
    if (!file.existsAsFile())
        return false;
    juce::MemoryBlock bytes;
    if (!file.loadFileAsData(bytes))
        return false;
    // The reader morvane3-render uses too: both accept the same files and
    // take the same values from them.
    const auto values = readPreset(bytes.getData(), bytes.getSize());
    if (!values)
        return false;

    for (const int index : presetApplyOrder())
        for (const auto& preset : *values)
            if (parameterIndexOf(preset.name) == index)
                editor.applyPresetValue(index, preset.value);
    return true;
}

int numFactoryPresets() noexcept
{
    return numFactory;
}

juce::String factoryPresetName(int preset)
{
    return preset >= 0 && preset < numFactory ? juce::String(factoryPresets[preset].name) : juce::String();
}

ParameterValues factoryPresetValues(int preset)
{
    ParameterValues values {};
    for (int index = 0; index < numParameters; ++index)
        values[(size_t) index] = defaultParameterValue(index);
    if (preset < 0 || preset >= numFactory)
        return values;

    const ParameterScaler scaler;
    const auto& p = factoryPresets[preset];
    const auto continuous = [&](int index, float live) {
        const auto& info = parameterInfo(index);
        values[(size_t) index] = scaler.normalise(info.max, info.min, live);
    };
    const auto flag = [](bool on) { return on ? 1.0f : 0.0f; };

    values[outputLevel] = p.outputLevel;
    for (int ch = 0; ch < 2; ++ch)
    {
        const auto& c = p.channels[ch];
        const int offset = ch == 0 ? 0 : c2Cabinet - c1Cabinet;
        values[(size_t) (c1Cabinet + offset)] = scaler.codeToNormalised(c.cabinet);
        values[(size_t) (c1Microphone + offset)] = scaler.codeToNormalised(c.microphone);
        values[(size_t) (c1MicPos + offset)] = scaler.codeToNormalised(c.position);
        values[(size_t) (c1MicDistance + offset)] = scaler.codeToNormalised(c.distance);
        continuous(c1HPF + offset, c.hpfHz);
        continuous(c1LMF + offset, c.lmfHz);
        continuous(c1LMLevel + offset, c.lmGainDb);
        continuous(c1HMF + offset, c.hmfHz);
        continuous(c1HMLevel + offset, c.hmGainDb);
        continuous(c1LPF + offset, c.lpfHz);
        values[(size_t) (c1Level + offset)] = c.level;
    }
    values[c1Mute] = flag(p.channels[0].mute);
    values[c2Mute] = flag(p.channels[1].mute);
    const int bypassRows[2] = {c1HPFBypass, c2HPFBypass};
    for (int ch = 0; ch < 2; ++ch)
    {
        const auto& c = p.channels[ch];
        values[(size_t) bypassRows[ch] + 0] = flag(c.hpfBypass);
        values[(size_t) bypassRows[ch] + 1] = flag(c.lmfBypass);
        values[(size_t) bypassRows[ch] + 2] = flag(c.hmfBypass);
        values[(size_t) bypassRows[ch] + 3] = flag(c.lpfBypass);
    }
    return values;
}

bool installFactoryPresets(const juce::File& folder)
{
    bool allWritten = true;
    for (int preset = 0; preset < numFactory; ++preset)
    {
        const auto target = folder.getChildFile(factoryPresetName(preset) + ".mv3");
        allWritten = writePresetFile(*makePresetElement(factoryPresetValues(preset)), target) && allWritten;
    }
    return allWritten;
}
} // namespace morvane3
