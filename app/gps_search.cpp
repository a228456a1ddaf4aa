// app/gps_search.cpp
#include "app/gps_search.h"

namespace {

struct Probe {
    int index;  // the fix at the key's second, or -1
    int last;   // the last middle probed
};

Probe BinarySearch(const GpsRecord* table, int count, const GpsTimeKey& key) {
    int low = 0;
    int high = count - 1;
    int middle = 0;
    while (low <= high) {
        middle = (low + high) / 2;
        const int distance = GpsDistance(key, table[middle]);
        if (distance > 0)
            low = middle + 1;
        else if (distance < 0)
            high = middle - 1;
        else
            return {middle, middle};
    }
    return {-1, middle};
}

}  // namespace

int GpsDistance(const GpsTimeKey& key, const GpsRecord& record) {
    return ((key.Hour - record.Hour) * 60 - record.Minute + key.Minute) * 60 - record.Second + key.Second;
}

int FindGpsIndexByTime(const GpsRecord* table, int count, const GpsTimeKey& key) {
    if (table == nullptr || count <= 0)
        return -1;
    if (GpsDistance(key, table[0]) < 0 || GpsDistance(key, table[count - 1]) > 0)
        return -1;
    return BinarySearch(table, count, key).index;
}

void FindGpsRangeByTime(const GpsRecord* table,
                        int count,
                        const GpsTimeKey& start,
                        const GpsTimeKey& end,
                        int* first,
                        int* last) {
    int from = -1;
    int to = -1;
    if (table != nullptr && count > 0 && GpsDistance(end, table[0]) >= 0 &&
        GpsDistance(start, table[count - 1]) <= 0) {
        from = GpsDistance(start, table[0]) < 0 ? 0 : BinarySearch(table, count, start).last;
        to = GpsDistance(end, table[count - 1]) > 0 ? count - 1 : BinarySearch(table, count, end).last;
        if (from >= to)
            from = to = -1;
    }
    if (first != nullptr)
        *first = from;
    if (last != nullptr)
        *last = to;
}
