#pragma once
// Reading a preset file: the one reader behind the editor's "Load" button and
// morvane3-render's --preset, so that every file gets the same verdict and the
// same values from both. Plain C++ (no framework), because the command-line
// host must not link any of the plug-in's code.
//
// A preset is an XML document whose root element is "MORVANESETTINGS" (any
// letter case) with one attribute per parameter. The text may be UTF-8, with or
// without a byte-order mark, UTF-16 in either byte order, or 8-bit text that
// declares ISO-8859-1. Anything that is not well-formed XML in one of those
// encodings is refused as a whole: a truncated file gives no values at all.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace morvane3
{
// The attributes a preset carries, in the order they are written: every
// parameter except the sample rate.
constexpr std::size_t numPresetAttributes = 33;
const std::array<const char*, numPresetAttributes>& presetAttributeNames() noexcept;

struct PresetValue
{
    const char* name; // one of presetAttributeNames(), spelt as there
    float value;      // 0 to 1; switches 0 or 1
};

// The usable values of a preset in the order of presetAttributeNames(), or
// nothing when the bytes are not a preset. Each value is the attribute's
// number narrowed to float and clamped to 0 to 1; a switch is then on (1) for
// any value other than 0. An attribute that is missing, or whose number is not
// finite as a float, is left out, so the caller keeps its current value; text
// that is not a number reads as 0. Other attributes ("sampleRate", names this
// version does not know) are ignored.
std::optional<std::vector<PresetValue>> readPreset(const void* bytes, std::size_t size);
std::optional<std::vector<PresetValue>> readPresetFile(const std::string& path);
} // namespace morvane3
