#include "resources/ResourceTable.h"

#include <cstring>

namespace morvane3
{
std::pair<const unsigned char*, int> findResource(const ResourceTable& table, const char* name) noexcept
{
    if (name == nullptr)
        return {nullptr, 0};
    int lo = 0, hi = table.count;
    while (lo < hi)
    {
        const int mid = (lo + hi) / 2;
        const int order = std::strcmp(table.entries[mid].name, name);
        if (order == 0)
            return {table.entries[mid].data, table.entries[mid].size};
        if (order < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return {nullptr, 0};
}
} // namespace morvane3
