// app/map/map_bridge.cpp
#include "app/map/map_bridge.h"

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/map/offset_db.h"

namespace track {

namespace {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (size > 0) {
        text.resize(static_cast<size_t>(size) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<size_t>(size));
    }
    va_end(again);
    return text;
}

// A correction text of a row as degrees: 0 unless it is a finite decimal
// number (the rows come from a file).
double CorrectionDegrees(const char* text, size_t size) {
    const std::string value(text, strnlen(text, size));
    if (value.empty())
        return 0;
    const double degrees = std::strtod(value.c_str(), nullptr);
    return std::isfinite(degrees) ? degrees : 0;
}

bool HasPosition(const GpsRecord& fix) {
    return !(fix.Latitude == 0 && fix.Longitude == 0);
}

}  // namespace

bool DbOffsetSource::LookupOffset(OffsetRecord& record) {
    return db_.LookupOffset(record) == 1;
}

const OffsetRecord* DbOffsetSource::FindOffsetRow(const char* latKey, const char* lngKey) {
    return ::FindOffsetRow(db_.OffsetTable(), latKey, lngKey);
}

MapPosition SignedPosition(const GpsRecord& fix) {
    MapPosition p;
    p.latitude = fix.NorthSouth == 'S' ? -fix.Latitude : fix.Latitude;
    p.longitude = fix.EastWest == 'W' ? -fix.Longitude : fix.Longitude;
    return p;
}

std::string OffsetKey(double degrees) {
    return Format("%0.1f", degrees);
}

MapPosition Corrected(const MapPosition& position, const char* latCorrection, const char* lngCorrection) {
    MapPosition p = position;
    p.latitude += CorrectionDegrees(latCorrection, sizeof OffsetRecord::LatCorrection);
    p.longitude += CorrectionDegrees(lngCorrection, sizeof OffsetRecord::LngCorrection);
    return p;
}

std::string PositionPair(const MapPosition& position) {
    return Format("%0.14f,%0.14f", position.longitude, position.latitude);
}

std::string CarValues(const MapPosition& position, const GpsRecord& fix) {
    return Format("%0.14f,%0.14f,%f,%0.2f,%d", position.longitude, position.latitude,
                  static_cast<double>(fix.Heading), static_cast<double>(fix.Speed),
                  static_cast<int>(fix.State)) +
           Format(",%04d-%02d-%02d--%02d:%02d:%02d", fix.Year + 2000, fix.Month, fix.Day, fix.Hour,
                  fix.Minute, fix.Second);
}

int MessageIndex(intptr_t word) {
    return word >= 0 && word <= INT_MAX ? static_cast<int>(word) : -1;
}

// ---- the bridge -----------------------------------------------------------------------------

bool MapBridge::Ready() const {
    return loaded_ && table_ != nullptr && !table_->empty();
}

void MapBridge::Run(const std::string& statement) {
    if (!host_.RunScript(statement))
        host_.ShowMessage(kParentWindowError);
}

void MapBridge::Call(const char* function, const std::string& argument) {
    Run(std::string(function) + "(\"" + argument + "\")");
}

void MapBridge::ClearAll() {
    Run("clearMarker()");
    Run("clearCarPath()");
    Run("InitCarPos()");
}

MapPosition MapBridge::LookedUp(const GpsRecord& fix) {
    const MapPosition position = SignedPosition(fix);
    OffsetRecord record{};
    CopyOffsetField(record.Lng, sizeof record.Lng, OffsetKey(position.latitude).c_str());
    CopyOffsetField(record.Lat, sizeof record.Lat, OffsetKey(position.longitude).c_str());
    if (!offsets_.LookupOffset(record))
        return position;
    return Corrected(position, record.LatCorrection, record.LngCorrection);
}

MapPosition MapBridge::Searched(const GpsRecord& fix) {
    const MapPosition position = SignedPosition(fix);
    const OffsetRecord* row =
        offsets_.FindOffsetRow(OffsetKey(position.latitude).c_str(), OffsetKey(position.longitude).c_str());
    return row != nullptr ? Corrected(position, row->LatCorrection, row->LngCorrection) : position;
}

void MapBridge::SetCar(const GpsRecord& fix) {
    Call("SetCarPosition", CarValues(LookedUp(fix), fix));
}

void MapBridge::OnPageLoaded(int language) {
    loaded_ = true;
    Call("SetLanguage", Format("%d", language));
}

bool MapBridge::OnClear() {
    if (!Ready())
        return false;
    ClearAll();
    return true;
}

bool MapBridge::OnDrawTrack(int first, int last) {
    if (!Ready())
        return false;
    ClearAll();
    const std::vector<GpsRecord>& table = *table_;
    const int count = static_cast<int>(table.size());
    // Both ends must lie in the table (it may have changed since the message
    // was posted); first past last only leaves the path empty.
    if (first < 0 || first >= count || last < 0 || last >= count)
        return true;
    const GpsRecord& start = table[static_cast<size_t>(first)];
    if (!HasPosition(start))
        return true;
    Call("addMarker", PositionPair(LookedUp(start)) + ",0");
    SetCar(start);
    const GpsRecord& end = table[static_cast<size_t>(last)];
    if (HasPosition(end))
        Call("addMarker", PositionPair(LookedUp(end)) + ",1");
    std::string points;
    for (int i = first; i <= last; ++i) {
        const GpsRecord& fix = table[static_cast<size_t>(i)];
        if (!HasPosition(fix))
            continue;
        if (!points.empty())
            points += ',';
        points += PositionPair(Searched(fix));
    }
    Call("drawCarPath", points);
    return true;
}

bool MapBridge::OnCarPosition(int index) {
    if (!Ready())
        return false;
    const std::vector<GpsRecord>& table = *table_;
    if (index < 0 || index >= static_cast<int>(table.size()))
        return true;
    const GpsRecord& fix = table[static_cast<size_t>(index)];
    bool send = (HasPosition(fix) && fix.Speed != 0) || index < 1;
    if (!send) {
        const GpsRecord& before = table[static_cast<size_t>(index) - 1];
        send = fix.Latitude != before.Latitude || fix.Longitude != before.Longitude;
    }
    if (send)
        SetCar(fix);
    return true;
}

}  // namespace track
