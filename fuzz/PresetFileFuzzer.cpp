// A preset file is whatever the user picks in the chooser: a foreign XML file,
// a truncated download, a binary. Loading any file through the editor's
// controls must not fail memory-wise, and afterwards every parameter is still
// inside its normalised range and the sound is finite.
#include "FuzzSupport.h"

#include "editor/Morvane3AudioProcessorEditor.h"
#include "editor/PresetFiles.h"

#include <cstdlib>

namespace
{
struct Window
{
    Window()
    {
        // The editor creates its presets folder under the user's home: not the real one.
        const auto home = juce::File::getSpecialLocation(juce::File::tempDirectory)
                              .getNonexistentChildFile("preset-fuzz-home", "", false);
        home.createDirectory();
        setenv("HOME", home.getFullPathName().toRawUTF8(), 1);
        fuzzing::ensureJuceRuntime();
        processor = std::make_unique<Morvane3AudioProcessor>();
        processor->prepareToPlay(44100.0, 256);
        editor = std::make_unique<Morvane3AudioProcessorEditor>(*processor);
        file = juce::File::createTempFile("mv3");
    }

    std::unique_ptr<Morvane3AudioProcessor> processor;
    std::unique_ptr<Morvane3AudioProcessorEditor> editor;
    juce::File file;
    juce::AudioBuffer<float> buffer { 2, 256 };
    juce::MidiBuffer midi;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Window* window = new Window();
    if (! window->file.replaceWithData(data, size))
        return 0;
    morvane3::loadPreset(*window->editor, window->file);
    // Deliver the controls' notifications, as the message loop would.
    juce::MessageManager::getInstance()->runDispatchLoopUntil(1);
    window->processor->applyPendingSelectionChanges();

    for (int index = 0; index < morvane3::numParameters; ++index)
    {
        const float v = window->processor->getParameterValue(index);
        if (index != morvane3::sampleRateIndex && ! (v >= 0.0f && v <= 1.0f))
            fuzzing::fail("a preset put a parameter outside its range");
    }
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 256; ++i)
            window->buffer.setSample(c, i, (float) ((i * 29 + c * 7) % 61) / 61.0f - 0.5f);
    {
        const juce::ScopedLock lock(window->processor->getCallbackLock());
        window->processor->processBlock(window->buffer, window->midi);
    }
    if (! (fuzzing::finite(window->buffer.getReadPointer(0), 256) && fuzzing::finite(window->buffer.getReadPointer(1), 256)))
        fuzzing::fail("a preset made the sound non-finite");
    window->processor->flushDeferredDeletions();
    return 0;
}
