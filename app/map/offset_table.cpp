// app/map/offset_table.cpp
#include "app/map/offset_table.h"

#include <algorithm>
#include <cstring>

namespace {

// The key against a stored text, over the key's length: < 0, 0 (the text
// begins with the key) or > 0.
int CompareKey(const char* key, const char* field) {
    return std::strncmp(key, field, std::strlen(key));
}

}  // namespace

void CopyOffsetField(char* field, size_t size, const char* text) {
    std::memset(field, 0, size);
    if (text == nullptr || size == 0)
        return;
    std::memcpy(field, text, strnlen(text, size - 1));
}

OffsetRecord OffsetRecordFromRow(int columns, char** cells) {
    OffsetRecord record;
    auto cell = [&](int i) { return cells != nullptr && i < columns ? cells[i] : nullptr; };
    CopyOffsetField(record.Lng, sizeof record.Lng, cell(0));
    CopyOffsetField(record.Lat, sizeof record.Lat, cell(1));
    CopyOffsetField(record.LatCorrection, sizeof record.LatCorrection, cell(2));
    CopyOffsetField(record.LngCorrection, sizeof record.LngCorrection, cell(3));
    return record;
}

void SortOffsetTable(std::vector<OffsetRecord>& table) {
    std::stable_sort(table.begin(), table.end(), [](const OffsetRecord& a, const OffsetRecord& b) {
        const int byLng = std::strcmp(a.Lng, b.Lng);
        return byLng != 0 ? byLng < 0 : std::strcmp(a.Lat, b.Lat) < 0;
    });
}

const OffsetRecord* FindOffsetRow(const std::vector<OffsetRecord>& table,
                                  const char* latKey,
                                  const char* lngKey) {
    if (latKey == nullptr || lngKey == nullptr || table.empty())
        return nullptr;
    long low = 0;
    long high = static_cast<long>(table.size()) - 1;
    while (low <= high) {
        const long middle = (low + high) / 2;
        const int order = CompareKey(latKey, table[middle].Lng);
        if (order < 0) {
            high = middle - 1;
            continue;
        }
        if (order > 0) {
            low = middle + 1;
            continue;
        }
        const OffsetRecord& found = table[middle];
        const int side = CompareKey(lngKey, found.Lat);
        if (side == 0)
            return &found;
        const long step = side < 0 ? -1 : 1;
        for (long i = middle + step; i >= 0 && i < static_cast<long>(table.size()); i += step) {
            if (std::strcmp(table[i].Lng, found.Lng) != 0)
                break;
            if (CompareKey(lngKey, table[i].Lat) == 0)
                return &table[i];
        }
        return nullptr;
    }
    return nullptr;
}
