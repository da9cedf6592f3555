// Look-ups in resource tables.
#include "ui/framework/resource_types.h"

std::wstring StringTable::Load(int id) const {
    for (const auto& [entryId, text] : entries) {
        if (entryId == id) return text;
    }
    return {};
}
