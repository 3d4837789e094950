// The editor's "Load" and morvane3-render's --preset read preset files with
// one reader: the same files in every encoding and shape give the same verdict
// and the same parameter values from both. The editor is driven in-process; the
// tool runs as a user runs it, and --info shows what the plug-in then holds.
#include "ToolTestSupport.h"
#include "tests/support/HostXErrorHandler.h"
#include "tests/editor/PresetValues.h"

#include "editor/Morvane3AudioProcessorEditor.h"
#include "editor/PresetFiles.h"
#include "processor/Morvane3AudioProcessor.h"
#include "processor/ParameterScaler.h"
#include "processor/ParameterTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

using namespace morvane3;
using namespace toolstest;

namespace
{
// Values every control reproduces exactly (knobs on their interval grid,
// selection codes that exist), so both readers must agree to the bit. The
// sample rate is the host's, not a preset's.
std::map<int, std::string> distinctiveTexts()
{
    const auto values = distinctiveValues();
    std::map<int, float> v;
    for (int index = 0; index < numParameters; ++index)
        if (index != sampleRateIndex)
            v[index] = values[static_cast<size_t>(index)];
    std::map<int, std::string> texts;
    for (const auto& [index, value] : v)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
        texts[index] = text;
    }
    return texts;
}

std::string element(const std::map<int, std::string>& texts, const std::string& before = "")
{
    std::string out = "<MORVANESETTINGS" + before;
    for (const auto& [index, text] : texts)
        out += std::string("\n    ") + parameterInfo(index).name + "=\"" + text + "\"";
    return out + "/>\n";
}

std::string utf16(const std::string& ascii, bool bigEndian)
{
    std::string out = bigEndian ? "\xfe\xff" : "\xff\xfe";
    for (char c : ascii)
        out += bigEndian ? std::string {'\0', c} : std::string {c, '\0'};
    return out;
}

struct Outcome
{
    bool loaded = false;
    std::map<int, float> values; // every parameter but the sample rate
};

std::map<int, float> valuesOf(const Morvane3AudioProcessor& processor)
{
    std::map<int, float> values;
    for (int index = 0; index < numParameters; ++index)
        if (index != sampleRateIndex)
            values[index] = processor.getParameterValue(index);
    return values;
}

Outcome throughTheEditor(const std::string& path)
{
    Morvane3AudioProcessor processor;
    Morvane3AudioProcessorEditor editor(processor);
    Outcome outcome;
    outcome.loaded = loadPreset(editor, juce::File(path));
    outcome.values = valuesOf(processor);
    return outcome;
}

// The parameter table --info prints: "  <index>  <name>  <value>  ...".
Outcome throughTheTool(const std::string& path)
{
    const auto run = runTool({"--preset", path, "--info"});
    Outcome outcome;
    outcome.loaded = run.exitCode == 0;
    if (! outcome.loaded)
        return outcome;
    std::istringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line))
    {
        std::istringstream fields(line);
        int index = -1;
        std::string name, value;
        if (fields >> index >> name >> value && index >= 0 && index < numParameters && name == parameterInfo(index).name
            && index != sampleRateIndex)
            outcome.values[index] = std::strtof(value.c_str(), nullptr);
    }
    EXPECT_EQ(outcome.values.size(), static_cast<size_t>(numParameters - 1)) << run.out;
    return outcome;
}

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
} // namespace

TEST(PresetAgreement, EditorAndToolGiveEveryFileTheSameVerdictAndValues)
{
    ScratchFolder scratch;
    setenv("HOME", scratch.folder().c_str(), 1); // the editor makes its presets folder there
    const juce::ScopedJuceInitialiser_GUI framework;
    testsupport::installHostXErrorHandler();

    const auto texts = distinctiveTexts();
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    const std::string utf8 = declaration + element(texts);
    auto partial = texts;
    partial.erase(c1HPF);
    partial.erase(c2Cabinet);
    auto wild = texts;
    wild[c1HPF] = "7";
    wild[c2LPF] = "-3";
    wild[c1LMLevel] = "1e30";
    wild[c2Mute] = "0.5";
    wild[c1HMF] = "1e300"; // not finite as a float: left as it is
    const std::string full = element(texts);

    const struct
    {
        const char* name;
        std::string bytes;
        bool loads;
        bool valuesAsWritten; // the distinctive values arrive unchanged
    } files[] = {
        {"utf8", utf8, true, true},
        {"utf8-bom", "\xef\xbb\xbf" + utf8, true, true},
        {"utf16-le", utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n" + full, false), true, true},
        {"utf16-be", utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n" + full, true), true, true},
        {"latin1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + element(texts, " name=\"Cr\xe8me br\xfbl\xe9\"")
                   , true, true},
        {"extra-attribute", declaration + element(texts, " author=\"me\" c3Level=\"0.5\" sampleRate=\"96000\""), true, true},
        {"missing-attributes", declaration + element(partial), true, false},
        {"out-of-range", declaration + element(wild), true, false},
        {"instruction-before", declaration + "<?xml-stylesheet href=\"look.css\"?>\n" + full, true, true},
        {"instruction-in-value", declaration + "<MORVANESETTINGS c1HPF=\"0.9<?x ?>\"/>", false, false},
        {"not-a-preset", declaration + "<OTHERSETTINGS c1HPF=\"0.5\"/>", false, false},
        {"truncated", utf8.substr(0, utf8.size() / 2), false, false},
        {"undeclared-latin1", element(texts, " name=\"Cr\xe8me\""), false, false},
    };

    const auto defaults = valuesOf(Morvane3AudioProcessor());
    for (const auto& file : files)
    {
        SCOPED_TRACE(file.name);
        const std::string path = scratch.file(std::string(file.name) + ".mv3");
        writeText(path, file.bytes);
        const auto editor = throughTheEditor(path);
        const auto tool = throughTheTool(path);

        EXPECT_EQ(editor.loaded, file.loads);
        EXPECT_EQ(tool.loaded, file.loads);
        if (! editor.loaded || ! tool.loaded)
            continue;
        for (const auto& [index, value] : editor.values)
        {
            EXPECT_TRUE(sameBits(value, tool.values.at(index)))
                << parameterInfo(index).name << ": editor " << value << ", tool " << tool.values.at(index);
            if (file.valuesAsWritten)
            {
                EXPECT_EQ(value, std::strtof(texts.at(index).c_str(), nullptr)) << parameterInfo(index).name;
            }
        }
    }

    // What the partial and out-of-range files give, in the editor's terms.
    const auto partialOutcome = throughTheEditor(scratch.file("missing-attributes.mv3"));
    EXPECT_EQ(partialOutcome.values.at(c1HPF), defaults.at(c1HPF));
    EXPECT_EQ(partialOutcome.values.at(c2Cabinet), defaults.at(c2Cabinet));
    const auto wildOutcome = throughTheEditor(scratch.file("out-of-range.mv3"));
    EXPECT_EQ(wildOutcome.values.at(c1HPF), 1.0f);
    EXPECT_EQ(wildOutcome.values.at(c2LPF), 0.0f);
    EXPECT_EQ(wildOutcome.values.at(c1LMLevel), 1.0f);
    EXPECT_EQ(wildOutcome.values.at(c2Mute), 1.0f);
    EXPECT_EQ(wildOutcome.values.at(c1HMF), defaults.at(c1HMF));
}
