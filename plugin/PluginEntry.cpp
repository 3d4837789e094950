// Where the plug-in is assembled: the processor with the plug-in's own window.
// The processor knows nothing of the editor; this file, linked only into the
// format targets, is the one place that knows both.
#include "processor/Morvane3AudioProcessor.h"

#if MORVANE3_WITH_EDITOR
#include "editor/Morvane3AudioProcessorEditor.h"
#endif

namespace
{
#if MORVANE3_WITH_EDITOR
class Morvane3Plugin final : public Morvane3AudioProcessor
{
public:
    juce::AudioProcessorEditor* createEditor() override { return new Morvane3AudioProcessorEditor(*this); }
};
#else
using Morvane3Plugin = Morvane3AudioProcessor; // the generic editor
#endif
} // namespace

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new Morvane3Plugin();
}
