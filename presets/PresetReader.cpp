#include "presets/PresetReader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>

namespace morvane3
{
namespace
{
constexpr const char* settingsTag = "MORVANESETTINGS";
constexpr int deepestNesting = 64; // a preset has no children; this only bounds the recursion

// The root element's tag and attributes, UTF-8 with references resolved.
struct PresetDocument
{
    std::string tag;
    std::vector<std::pair<std::string, std::string>> attributes; // in document order
};

bool isAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? (char) (c - 'A' + 'a') : c; }

bool equalsIgnoringAsciiCase(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return i == a.size() && b[i] == '\0';
}

bool endsWith(const char* text, const char* ending)
{
    const std::string t(text), e(ending);
    return t.size() >= e.size() && t.compare(t.size() - e.size(), e.size(), e) == 0;
}

//==============================================================================
// Decoding to UTF-8.

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80)
        out += (char) cp;
    else if (cp < 0x800)
    {
        out += (char) (0xc0 | (cp >> 6));
        out += (char) (0x80 | (cp & 0x3f));
    }
    else if (cp < 0x10000)
    {
        out += (char) (0xe0 | (cp >> 12));
        out += (char) (0x80 | ((cp >> 6) & 0x3f));
        out += (char) (0x80 | (cp & 0x3f));
    }
    else
    {
        out += (char) (0xf0 | (cp >> 18));
        out += (char) (0x80 | ((cp >> 12) & 0x3f));
        out += (char) (0x80 | ((cp >> 6) & 0x3f));
        out += (char) (0x80 | (cp & 0x3f));
    }
}

// Characters XML allows in a document (no NUL, no other C0 controls).
bool isXmlChar(std::uint32_t cp)
{
    return cp == 0x9 || cp == 0xa || cp == 0xd || (cp >= 0x20 && cp <= 0xd7ff) || (cp >= 0xe000 && cp <= 0xfffd)
           || (cp >= 0x10000 && cp <= 0x10ffff);
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidXmlUtf8(const unsigned char* p, std::size_t size)
{
    std::size_t i = 0;
    while (i < size)
    {
        const unsigned char lead = p[i];
        std::uint32_t cp;
        std::size_t length;
        if (lead < 0x80) { cp = lead; length = 1; }
        else if (lead >= 0xc2 && lead <= 0xdf) { cp = lead & 0x1fu; length = 2; }
        else if (lead >= 0xe0 && lead <= 0xef) { cp = lead & 0x0fu; length = 3; }
        else if (lead >= 0xf0 && lead <= 0xf4) { cp = lead & 0x07u; length = 4; }
        else return false;
        if (size - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k)
        {
            if ((p[i + k] & 0xc0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3fu);
        }
        if ((length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000) || ! isXmlChar(cp))
            return false;
        i += length;
    }
    return true;
}

std::optional<std::string> decodeUtf16(const unsigned char* p, std::size_t size, bool bigEndian)
{
    if (size % 2 != 0)
        return std::nullopt;
    const auto unit = [&](std::size_t i) -> std::uint32_t {
        return bigEndian ? (std::uint32_t) (p[i] << 8 | p[i + 1]) : (std::uint32_t) (p[i + 1] << 8 | p[i]);
    };
    std::string out;
    out.reserve(size);
    for (std::size_t i = 0; i < size; i += 2)
    {
        std::uint32_t cp = unit(i);
        if (cp >= 0xd800 && cp <= 0xdbff)
        {
            if (i + 2 >= size)
                return std::nullopt;
            const std::uint32_t low = unit(i + 2);
            if (low < 0xdc00 || low > 0xdfff)
                return std::nullopt;
            cp = 0x10000 + ((cp - 0xd800) << 10) + (low - 0xdc00);
            i += 2;
        }
        if (! isXmlChar(cp))
            return std::nullopt;
        appendUtf8(out, cp);
    }
    return out;
}

// The encoding an 8-bit document names in its XML declaration, lower case
// without '-' and '_' ("iso88591"), or "" when it names none.
std::string declaredEncoding(const unsigned char* p, std::size_t size)
{
    const std::string head(reinterpret_cast<const char*>(p), std::min<std::size_t>(size, 256));
    if (head.compare(0, 5, "<?xml") != 0)
        return {};
    const auto end = head.find("?>");
    const auto key = head.find("encoding");
    if (end == std::string::npos || key == std::string::npos || key > end)
        return {};
    const auto open = head.find_first_of("\"'", key);
    if (open == std::string::npos || open > end)
        return {};
    const auto close = head.find(head[open], open + 1);
    if (close == std::string::npos || close > end)
        return {};
    std::string name;
    for (std::size_t i = open + 1; i < close; ++i)
        if (head[i] != '-' && head[i] != '_')
            name += lowerAscii(head[i]);
    return name;
}

bool isLatin1Name(const std::string& name)
{
    return name == "iso88591" || name == "latin1" || name == "l1" || name == "isoir100" || name == "cp819"
           || name == "ibm819";
}

// The document as UTF-8: UTF-16 is told by its byte-order mark or by "<?" in
// either byte order; 8-bit text is UTF-8 unless it declares ISO-8859-1.
std::optional<std::string> documentAsUtf8(const unsigned char* p, std::size_t size)
{
    if (size >= 2 && p[0] == 0xff && p[1] == 0xfe)
        return decodeUtf16(p + 2, size - 2, false);
    if (size >= 2 && p[0] == 0xfe && p[1] == 0xff)
        return decodeUtf16(p + 2, size - 2, true);
    if (size >= 4 && p[0] == '<' && p[1] == 0 && p[2] == '?' && p[3] == 0)
        return decodeUtf16(p, size, false);
    if (size >= 4 && p[0] == 0 && p[1] == '<' && p[2] == 0 && p[3] == '?')
        return decodeUtf16(p, size, true);
    if (size >= 3 && p[0] == 0xef && p[1] == 0xbb && p[2] == 0xbf)
    {
        p += 3;
        size -= 3;
    }
    else if (isLatin1Name(declaredEncoding(p, size)))
    {
        std::string out;
        out.reserve(size * 2);
        for (std::size_t i = 0; i < size; ++i)
        {
            if (! isXmlChar(p[i]))
                return std::nullopt;
            appendUtf8(out, p[i]);
        }
        return out;
    }
    if (! isValidXmlUtf8(p, size))
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(p), size);
}

//==============================================================================
// A small well-formedness checker that keeps the root element's attributes.
// Document type declarations with an internal subset are refused: a preset has
// no use for entity definitions, and refusing them rules out entity expansion.

class Parser
{
public:
    explicit Parser(const std::string& source) : text(source) {}

    std::optional<PresetDocument> document()
    {
        PresetDocument result;
        if (text.compare(0, 5, "<?xml") == 0 && text.size() > 5 && isAsciiSpace(text[5]))
            if (! skipPast("?>"))
                return std::nullopt;
        if (! miscellany(true))
            return std::nullopt;
        if (! element(result, 0))
            return std::nullopt;
        if (! miscellany(false) || at < text.size())
            return std::nullopt;
        return result;
    }

private:
    const std::string& text;
    std::size_t at = 0;

    bool startsWith(const char* s) const { return text.compare(at, std::char_traits<char>::length(s), s) == 0; }

    bool skipPast(const char* s)
    {
        const auto found = text.find(s, at);
        if (found == std::string::npos)
            return false;
        at = found + std::char_traits<char>::length(s);
        return true;
    }

    bool skipSpace()
    {
        const auto before = at;
        while (at < text.size() && isAsciiSpace(text[at]))
            ++at;
        return at > before;
    }

    bool processingInstruction()
    {
        at += 2;
        std::string target;
        if (! name(target) || equalsIgnoringAsciiCase(target, "xml"))
            return false;
        return skipPast("?>");
    }

    // Space, comments and processing instructions (and, before the root, one
    // document type declaration without an internal subset).
    bool miscellany(bool beforeRoot)
    {
        bool sawDoctype = false;
        while (true)
        {
            skipSpace();
            if (startsWith("<!--"))
            {
                at += 4;
                if (! skipPast("-->"))
                    return false;
            }
            else if (startsWith("<?"))
            {
                if (! processingInstruction())
                    return false;
            }
            else if (beforeRoot && ! sawDoctype && startsWith("<!DOCTYPE"))
            {
                const auto end = text.find('>', at);
                if (end == std::string::npos || text.find('[', at) < end)
                    return false;
                at = end + 1;
                sawDoctype = true;
            }
            else
                return true;
        }
    }

    static bool isNameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == ':' || c >= 0x80; }
    static bool isNameChar(unsigned char c) { return isNameStart(c) || std::isdigit(c) || c == '-' || c == '.'; }

    bool name(std::string& out)
    {
        if (at >= text.size() || ! isNameStart((unsigned char) text[at]))
            return false;
        const auto start = at;
        while (at < text.size() && isNameChar((unsigned char) text[at]))
            ++at;
        out = text.substr(start, at - start);
        return true;
    }

    // A character or entity reference after '&', appended to `out`.
    bool reference(std::string& out)
    {
        const auto semicolon = text.find(';', at);
        if (semicolon == std::string::npos || semicolon == at + 1)
            return false;
        const std::string entity = text.substr(at + 1, semicolon - at - 1);
        at = semicolon + 1;
        if (entity == "amp") out += '&';
        else if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (entity[0] == '#')
        {
            const bool hex = entity.size() > 1 && entity[1] == 'x';
            const char* first = entity.data() + (hex ? 2 : 1);
            const char* last = entity.data() + entity.size();
            std::uint32_t cp = 0;
            const auto [end, error] = std::from_chars(first, last, cp, hex ? 16 : 10);
            if (first == last || error != std::errc() || end != last || ! isXmlChar(cp))
                return false;
            appendUtf8(out, cp);
        }
        else
            return false;
        return true;
    }

    bool attributeValue(std::string& out)
    {
        if (at >= text.size() || (text[at] != '"' && text[at] != '\''))
            return false;
        const char quote = text[at++];
        while (at < text.size() && text[at] != quote)
        {
            const char c = text[at];
            if (c == '<')
                return false;
            if (c == '&')
            {
                if (! reference(out))
                    return false;
                continue;
            }
            out += isAsciiSpace(c) ? ' ' : c;
            ++at;
        }
        if (at >= text.size())
            return false;
        ++at;
        return true;
    }

    // Text, references, comments, CDATA, instructions and child elements up to
    // the end tag of `tag`.
    bool content(const std::string& tag, int depth)
    {
        while (at < text.size())
        {
            if (startsWith("</"))
            {
                at += 2;
                std::string closing;
                if (! name(closing) || closing != tag)
                    return false;
                skipSpace();
                if (at >= text.size() || text[at] != '>')
                    return false;
                ++at;
                return true;
            }
            if (startsWith("<!--"))
            {
                at += 4;
                if (! skipPast("-->"))
                    return false;
            }
            else if (startsWith("<![CDATA["))
            {
                if (! skipPast("]]>"))
                    return false;
            }
            else if (startsWith("<?"))
            {
                if (! processingInstruction())
                    return false;
            }
            else if (text[at] == '<')
            {
                PresetDocument child;
                if (! element(child, depth + 1))
                    return false;
            }
            else if (text[at] == '&')
            {
                std::string ignored;
                if (! reference(ignored))
                    return false;
            }
            else
                ++at;
        }
        return false;
    }

    bool element(PresetDocument& out, int depth)
    {
        if (depth > deepestNesting || at >= text.size() || text[at] != '<')
            return false;
        ++at;
        if (! name(out.tag))
            return false;
        while (true)
        {
            const bool spaced = skipSpace();
            if (startsWith("/>"))
            {
                at += 2;
                return true;
            }
            if (startsWith(">"))
            {
                ++at;
                return content(out.tag, depth);
            }
            std::string attribute, value;
            if (! spaced || ! name(attribute))
                return false;
            skipSpace();
            if (at >= text.size() || text[at] != '=')
                return false;
            ++at;
            skipSpace();
            if (! attributeValue(value))
                return false;
            for (const auto& existing : out.attributes)
                if (existing.first == attribute)
                    return false;
            out.attributes.emplace_back(std::move(attribute), std::move(value));
        }
    }
};

// The attribute's text as a number, as the settings document reads numbers:
// leading space skipped, then the longest decimal number; no number is 0.
double numberOf(const std::string& text)
{
    const char* first = text.data();
    const char* last = first + text.size();
    while (first != last && isAsciiSpace(*first))
        ++first;
    if (first != last && *first == '+')
        ++first;
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
    {
        // Too small is 0, too large is infinite (and then left out).
        const std::string number(first, result.ptr);
        const auto exponent = number.find_first_of("eE");
        const auto firstDigit = number.find_first_of("123456789");
        const bool tiny = (exponent != std::string::npos && exponent + 1 < number.size() && number[exponent + 1] == '-')
                          || firstDigit == std::string::npos || firstDigit > number.find('.');
        const bool negative = number[0] == '-';
        return tiny ? (negative ? -0.0 : 0.0) : (negative ? -HUGE_VAL : HUGE_VAL);
    }
    return result.ec == std::errc() ? value : 0.0;
}
// Nothing when the bytes are not a well-formed document in a known encoding.
std::optional<PresetDocument> parsePresetDocument(const void* bytes, std::size_t size)
{
    if (bytes == nullptr && size > 0)
        return std::nullopt;
    const auto utf8 = documentAsUtf8(static_cast<const unsigned char*>(bytes), size);
    if (! utf8)
        return std::nullopt;
    return Parser(*utf8).document();
}
} // namespace

const std::array<const char*, numPresetAttributes>& presetAttributeNames() noexcept
{
    static const std::array<const char*, numPresetAttributes> names {{
        "outputLevel", "c1Cabinet", "c1Microphone", "c1MicPos", "c1MicDistance", "c1HPF", "c1LMF", "c1LMLevel",
        "c1HMF", "c1HMLevel", "c1LPF", "c1Level", "c2Cabinet", "c2Microphone", "c2MicPos", "c2MicDistance",
        "c2HPF", "c2LMF", "c2LMLevel", "c2HMF", "c2HMLevel", "c2LPF", "c2Level", "c1Mute", "c2Mute",
        "c1HPFBypass", "c1LMFBypass", "c1HMFBypass", "c1LPFBypass", "c2HPFBypass", "c2LMFBypass", "c2HMFBypass",
        "c2LPFBypass",
    }};
    return names;
}

std::optional<std::vector<PresetValue>> readPreset(const void* bytes, std::size_t size)
{
    const auto document = parsePresetDocument(bytes, size);
    if (! document || ! equalsIgnoringAsciiCase(document->tag, settingsTag))
        return std::nullopt;

    std::vector<PresetValue> values;
    for (const char* name : presetAttributeNames())
    {
        const std::string* text = nullptr;
        for (const auto& [attribute, value] : document->attributes)
            if (equalsIgnoringAsciiCase(attribute, name))
            {
                text = &value;
                break;
            }
        if (text == nullptr)
            continue;
        const float value = (float) numberOf(*text);
        if (! std::isfinite(value))
            continue;
        const float clamped = value <= 0.0f ? 0.0f : (value >= 1.0f ? 1.0f : value);
        const bool isSwitch = endsWith(name, "Mute") || endsWith(name, "Bypass");
        values.push_back({name, isSwitch && clamped != 0.0f ? 1.0f : clamped});
    }
    return values;
}

std::optional<std::vector<PresetValue>> readPresetFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (! in)
        return std::nullopt;
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return readPreset(bytes.data(), bytes.size());
}
} // namespace morvane3
