#pragma once
// The plug-in's settings document as the host sees it: one XML element with one
// attribute per parameter, carried in state chunks ("VC2!" magic, length, text,
// zero byte) and in preset files (an XML file with a declaration). The host reads
// and edits these itself, so it never needs the plug-in's XML classes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvane3::render
{

struct XmlAttribute
{
    std::string name;
    std::string value;
};

struct XmlElement
{
    std::string tag;
    std::vector<XmlAttribute> attributes; // in document order

    // Names compare without regard to ASCII case, as the plug-in reads them.
    const XmlAttribute* find(const std::string& name) const;
    // Replaces the value of an existing attribute or appends a new one.
    void set(const std::string& name, const std::string& value);
};

// The first element of an XML text (declarations, comments and processing
// instructions before it are skipped); nothing if the text holds no well-formed
// start tag. Only the start tag's attributes are read: the settings element has
// no children.
std::optional<XmlElement> parseFirstElement(const std::string& text);

// One-line text of an element without children: <TAG a="1" b="2"/>.
std::string toXmlText(const XmlElement& element);

// The element's text from a state chunk, or nothing when the block is not one.
std::optional<std::string> decodeStateChunk(const std::vector<std::uint8_t>& chunk);
std::vector<std::uint8_t> encodeStateChunk(const std::string& xmlText);

// A parameter value as the plug-in writes it: the float widened to double, "%.9g".
std::string formatSettingValue(double value);

bool equalsIgnoringCase(const std::string& a, const std::string& b);

} // namespace morvane3::render
