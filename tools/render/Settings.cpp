#include "tools/render/Settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <cstring>

namespace morvane3::render
{
namespace
{

constexpr std::uint8_t chunkMagic[4] = {'V', 'C', '2', '!'};

bool isNameChar(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '-' || c == '.' || c == ':' || u >= 0x80;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void appendUtf8(std::string& out, unsigned long cp)
{
    if (cp < 0x80)
        out += static_cast<char>(cp);
    else if (cp < 0x800)
    {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string decodeEntities(const std::string& raw)
{
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i)
    {
        if (raw[i] != '&')
        {
            out += raw[i];
            continue;
        }
        const std::size_t semi = raw.find(';', i);
        if (semi == std::string::npos)
        {
            out += raw[i];
            continue;
        }
        const std::string entity = raw.substr(i + 1, semi - i - 1);
        if (entity == "amp") out += '&';
        else if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (entity.size() > 1 && entity[0] == '#')
        {
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            const unsigned long cp = std::strtoul(entity.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10);
            appendUtf8(out, cp);
        }
        else
        {
            out += raw.substr(i, semi - i + 1); // unknown entity: keep it as written
        }
        i = semi;
    }
    return out;
}

std::string escape(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        switch (c)
        {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

} // namespace

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const XmlAttribute* XmlElement::find(const std::string& name) const
{
    for (const auto& a : attributes)
        if (equalsIgnoringCase(a.name, name))
            return &a;
    return nullptr;
}

void XmlElement::set(const std::string& name, const std::string& value)
{
    for (auto& a : attributes)
        if (equalsIgnoringCase(a.name, name))
        {
            a.value = value;
            return;
        }
    attributes.push_back({name, value});
}

std::optional<XmlElement> parseFirstElement(const std::string& text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (n >= 3 && static_cast<unsigned char>(text[0]) == 0xEF && static_cast<unsigned char>(text[1]) == 0xBB
        && static_cast<unsigned char>(text[2]) == 0xBF)
        i = 3; // UTF-8 byte order mark

    while (true)
    {
        while (i < n && isSpace(text[i]))
            ++i;
        if (i >= n || text[i] != '<')
            return std::nullopt;
        if (text.compare(i, 4, "<!--") == 0)
        {
            const std::size_t close = text.find("-->", i + 4);
            if (close == std::string::npos)
                return std::nullopt;
            i = close + 3;
        }
        else if (text.compare(i, 2, "<?") == 0)
        {
            const std::size_t close = text.find("?>", i + 2);
            if (close == std::string::npos)
                return std::nullopt;
            i = close + 2;
        }
        else if (text.compare(i, 2, "<!") == 0)
        {
            const std::size_t close = text.find('>', i + 2);
            if (close == std::string::npos)
                return std::nullopt;
            i = close + 1;
        }
        else
            break;
    }

    ++i; // '<'
    XmlElement element;
    while (i < n && isNameChar(text[i]))
        element.tag += text[i++];
    if (element.tag.empty())
        return std::nullopt;

    while (true)
    {
        while (i < n && isSpace(text[i]))
            ++i;
        if (i >= n)
            return std::nullopt;
        if (text[i] == '>' || text.compare(i, 2, "/>") == 0)
            return element;

        XmlAttribute attribute;
        while (i < n && isNameChar(text[i]))
            attribute.name += text[i++];
        if (attribute.name.empty())
            return std::nullopt;
        while (i < n && isSpace(text[i]))
            ++i;
        if (i >= n || text[i] != '=')
            return std::nullopt;
        ++i;
        while (i < n && isSpace(text[i]))
            ++i;
        if (i >= n || (text[i] != '"' && text[i] != '\''))
            return std::nullopt;
        const char quote = text[i++];
        const std::size_t close = text.find(quote, i);
        if (close == std::string::npos)
            return std::nullopt;
        attribute.value = decodeEntities(text.substr(i, close - i));
        i = close + 1;
        element.attributes.push_back(std::move(attribute));
    }
}

std::string toXmlText(const XmlElement& element)
{
    std::string out = "<" + element.tag;
    for (const auto& a : element.attributes)
        out += " " + a.name + "=\"" + escape(a.value) + "\"";
    return out + "/>";
}

std::optional<std::string> decodeStateChunk(const std::vector<std::uint8_t>& chunk)
{
    if (chunk.size() <= 8 || std::memcmp(chunk.data(), chunkMagic, 4) != 0)
        return std::nullopt;
    const std::int32_t length = static_cast<std::int32_t>(static_cast<std::uint32_t>(chunk[4]) | (static_cast<std::uint32_t>(chunk[5]) << 8)
                                                          | (static_cast<std::uint32_t>(chunk[6]) << 16)
                                                          | (static_cast<std::uint32_t>(chunk[7]) << 24));
    if (length <= 0)
        return std::nullopt;
    std::size_t size = std::min(static_cast<std::size_t>(length), chunk.size() - 8);
    std::string text(reinterpret_cast<const char*>(chunk.data() + 8), size);
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    return text;
}

std::vector<std::uint8_t> encodeStateChunk(const std::string& xmlText)
{
    std::vector<std::uint8_t> chunk(chunkMagic, chunkMagic + 4);
    const std::uint32_t length = static_cast<std::uint32_t>(xmlText.size());
    for (int shift = 0; shift < 32; shift += 8)
        chunk.push_back(static_cast<std::uint8_t>((length >> shift) & 0xFF));
    chunk.insert(chunk.end(), xmlText.begin(), xmlText.end());
    chunk.push_back(0);
    return chunk;
}

std::string formatSettingValue(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

} // namespace morvane3::render
