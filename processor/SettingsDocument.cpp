#include "processor/SettingsDocument.h"
#include "processor/Morvane3AudioProcessor.h"
#include "processor/ParameterTable.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace morvane3
{
namespace
{
constexpr const char* settingsTag = "MORVANESETTINGS";
constexpr juce::uint32 chunkMagic = 0x21324356; // "VC2!" little-endian

double documentValue(const Morvane3AudioProcessor& processor, int index)
{
    if (index == sampleRateIndex)
        return processor.getWorkingSampleRate();
    return (double) processor.getParameterValue(index);
}

// The element as one line without declaration, attributes in table order.
// Written by hand so that the bytes never depend on the framework's writer.
juce::String singleLineText(const Morvane3AudioProcessor& processor)
{
    juce::String text;
    text.preallocateBytes(1400);
    text << "<" << settingsTag;
    for (int index = 0; index < numParameters; ++index)
        text << " " << parameterInfo(index).name << "=\"" << formatSettingsNumber(documentValue(processor, index)) << "\"";
    text << "/>";
    return text;
}

// The first attribute whose name matches without regard to ASCII case; null when absent.
const juce::String* findAttribute(const juce::XmlElement& element, const char* name)
{
    for (int i = 0; i < element.getNumAttributes(); ++i)
        if (element.getAttributeName(i).equalsIgnoreCase(name))
            return &element.getAttributeValue(i);
    return nullptr;
}

// Non-finite numbers (and values that become non-finite as floats) count as absent.
bool readNumber(const juce::XmlElement& element, const char* name, double& value)
{
    const auto* text = findAttribute(element, name);
    if (text == nullptr)
        return false;
    value = text->getDoubleValue();
    return std::isfinite(value);
}
} // namespace

juce::String formatSettingsNumber(double value)
{
    // to_chars with "general" and precision 9 is "%.9g" without the locale:
    // a host that switches LC_NUMERIC must not change the chunk.
    char text[40];
    const auto result = std::to_chars(text, text + sizeof(text), value, std::chars_format::general, 9);
    return juce::String(text, (size_t) (result.ptr - text));
}

std::unique_ptr<juce::XmlElement> makeSettingsElement(const Morvane3AudioProcessor& processor, bool includeSampleRate)
{
    auto element = std::make_unique<juce::XmlElement>(settingsTag);
    for (int index = 0; index < numParameters; ++index)
    {
        if (index == sampleRateIndex && ! includeSampleRate)
            continue;
        element->setAttribute(parameterInfo(index).name, formatSettingsNumber(documentValue(processor, index)));
    }
    return element;
}

juce::MemoryBlock makeStateChunk(const Morvane3AudioProcessor& processor)
{
    const auto text = singleLineText(processor);
    const auto length = text.getNumBytesAsUTF8();
    juce::MemoryBlock block(8 + length + 1, true);
    auto* bytes = static_cast<char*>(block.getData());
    const juce::uint32 header[2] = { juce::ByteOrder::swapIfBigEndian(chunkMagic),
                                     juce::ByteOrder::swapIfBigEndian((juce::uint32) length) };
    std::memcpy(bytes, header, sizeof(header));
    std::memcpy(bytes + 8, text.toRawUTF8(), length);
    return block;
}

bool restoreFromSettingsElement(Morvane3AudioProcessor& processor, const juce::XmlElement& element)
{
    if (! element.getTagName().equalsIgnoreCase(settingsTag))
        return false;

    for (int index = 0; index < numParameters; ++index)
    {
        double value = 0.0;
        const bool present = readNumber(element, parameterInfo(index).name, value);
        if (index == sampleRateIndex)
        {
            processor.setStoredSampleRate(present ? value : 44100.0);
            continue;
        }
        const auto narrowed = (float) value;
        if (present && std::isfinite(narrowed))
            processor.storeParameterValue(index, narrowed);
    }

    processor.deriveLiveValues();
    for (int channel = 0; channel < 2; ++channel)
    {
        processor.deriveSelection(channel);
        processor.loadImpulseResponse(channel, processor.getSelection(channel).irName);
    }
    return true;
}

bool restoreFromStateChunk(Morvane3AudioProcessor& processor, const void* data, int size)
{
    if (data == nullptr || size <= 8)
        return false;
    const auto* bytes = static_cast<const char*>(data);
    if (juce::ByteOrder::littleEndianInt(bytes) != chunkMagic)
        return false;
    const auto length = (juce::int32) juce::ByteOrder::littleEndianInt(bytes + 4);
    if (length <= 0)
        return false;

    const auto textBytes = (size_t) juce::jmin(length, size - 8);
    // Stop at an embedded zero byte: the text ends there.
    const auto* end = static_cast<const char*>(std::memchr(bytes + 8, 0, textBytes));
    const auto usable = end != nullptr ? (size_t) (end - (bytes + 8)) : textBytes;
    const auto element = parseSettingsText(bytes + 8, usable, false);
    if (element == nullptr)
        return false;
    return restoreFromSettingsElement(processor, *element);
}

std::unique_ptr<juce::XmlElement> parseSettingsText(const char* utf8, size_t bytes, bool rejectRecoveredErrors)
{
    if (utf8 == nullptr || bytes > (size_t) std::numeric_limits<int>::max()
        || ! juce::CharPointer_UTF8::isValidString(utf8, (int) bytes))
        return nullptr;
    const auto text = juce::String::fromUTF8(utf8, (int) bytes);
    int root = text.indexOfChar('<');
    while (root >= 0 && (text[root + 1] == '?' || text[root + 1] == '!'))
        root = text.indexOfChar(root + 1, '<');
    if (root >= 0 && text.indexOf(root, "<?") >= 0)
        return nullptr;
    juce::XmlDocument document(text);
    auto element = document.getDocumentElement();
    if (rejectRecoveredErrors && document.getLastParseError().isNotEmpty())
        return nullptr;
    return element;
}
} // namespace morvane3
