#pragma once
// Name-keyed tables of compiled-in resources. The tables are written at build
// time by the generators under resources/ and are constant for the life of the
// process, so any thread may read them.

#include <utility>

namespace morvane3
{
struct ResourceEntry
{
    const char* name;
    const unsigned char* data;
    int size;
};

struct ResourceTable
{
    const ResourceEntry* entries; // sorted by name (strcmp order)
    int count;
};

// (data, size) of the entry called `name`, or (nullptr, 0) when there is none.
std::pair<const unsigned char*, int> findResource(const ResourceTable& table, const char* name) noexcept;

extern const ResourceTable impulseResponseTable; // 960 WAV files, keyed by impulse-response name
extern const ResourceTable pictureTable;         // cabinet photographs and placement pictures
extern const ResourceTable editorPictureTable;   // background, panels, buttons, filmstrips
} // namespace morvane3
