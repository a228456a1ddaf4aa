// app/map/map_bridge.h
//
// The map page bridge without its window: what the track view tells the map
// page (GoogleMap\MapIndex.html) for the play panes' three map messages and for
// the page's load event, as script statements. The bridge dialog
// (CDlgGoogleMap) hands it the messages and runs the statements in its view.
//
// A statement is one call of a page function with one text argument in double
// quotation marks, or none:
//
//   SetLanguage("256")                        once the page has loaded
//   clearMarker() clearCarPath() InitCarPos() before a track, and on clear
//   addMarker("lng,lat,0") addMarker("lng,lat,1")      start and end of a track
//   drawCarPath("lng,lat,lng,lat,...")        the track ("" without points)
//   SetCarPosition("lng,lat,heading,speed,state,YYYY-MM-DD--hh:mm:ss")
//
// Positions are written "%0.14f", longitude first; 'S' and 'W' fixes give
// negative numbers. Each position is corrected through the map offset
// database, keyed by the signed latitude and longitude as "%0.1f" text: a
// single fix (the markers, the car) by asking the database, the points of a
// track through the table loaded in memory. Without a row the position stays.
//
// The messages do nothing until the page has loaded, nor while the GPS table
// is missing or empty; an index outside the table (the table may have been
// replaced since the message was posted) ends the message after the clearing
// calls, or, for the car, makes none. A car that stands where it stood at the
// fix before is not sent again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/gps_record.h"
#include "app/map/offset_table.h"

class CDBConnection;

namespace track {

// Shown when the page's window cannot be had to run a statement.
inline constexpr char kParentWindowError[] = "Get parentWindow error!";

// Where the statements run: the page in the bridge's view.
class MapScriptHost {
  public:
    virtual ~MapScriptHost() = default;
    // Runs one statement in the page; false when the page's window could not
    // be had (nothing ran).
    virtual bool RunScript(const std::string& statement) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
};

// The position corrections.
class OffsetSource {
  public:
    virtual ~OffsetSource() = default;
    // Asks the database for the record's Lng and Lat keys; on a match copies
    // the row's corrections into the record. False when the query failed.
    virtual bool LookupOffset(OffsetRecord& record) = 0;
    // The row of the loaded table for the two keys, or nullptr.
    virtual const OffsetRecord* FindOffsetRow(const char* latKey, const char* lngKey) = 0;
};

// The corrections of an offset database connection (the program's is
// g_offsetDb).
class DbOffsetSource final : public OffsetSource {
  public:
    explicit DbOffsetSource(CDBConnection& db) : db_(db) {}
    bool LookupOffset(OffsetRecord& record) override;
    const OffsetRecord* FindOffsetRow(const char* latKey, const char* lngKey) override;

  private:
    CDBConnection& db_;
};

struct MapPosition {
    double latitude = 0;
    double longitude = 0;
};

// The fix's position with the signs of its hemispheres.
MapPosition SignedPosition(const GpsRecord& fix);
// The offset key of a signed coordinate: "%0.1f" ("31.2", "-33.9").
std::string OffsetKey(double degrees);
// The position moved by a row's correction texts (decimal degrees; an empty
// text, or one that is not a finite number, moves nothing).
MapPosition Corrected(const MapPosition& position, const char* latCorrection, const char* lngCorrection);
// "lng,lat", each "%0.14f".
std::string PositionPair(const MapPosition& position);
// SetCarPosition's argument for the fix at `position`.
std::string CarValues(const MapPosition& position, const GpsRecord& fix);

// A message word as a table index: -1 when it does not fit an int or is
// negative.
int MessageIndex(intptr_t word);

class MapBridge {
  public:
    MapBridge(MapScriptHost& host, OffsetSource& offsets) : host_(host), offsets_(offsets) {}

    // The GPS table the messages' indexes refer to (AppConfig's), or none.
    void SetGpsTable(const std::vector<GpsRecord>* table) { table_ = table; }
    bool PageLoaded() const { return loaded_; }

    // The page raised its load event: from now on the messages draw, and the
    // page is told the language (a language number, 256..261).
    void OnPageLoaded(int language);

    // The three map messages. Each returns false when it did nothing at all
    // (page not loaded, no fixes): the message then takes its default way.
    bool OnClear();
    bool OnDrawTrack(int first, int last);
    bool OnCarPosition(int index);

  private:
    bool Ready() const;
    void Run(const std::string& statement);
    void Call(const char* function, const std::string& argument);
    void ClearAll();
    MapPosition LookedUp(const GpsRecord& fix);
    MapPosition Searched(const GpsRecord& fix);
    void SetCar(const GpsRecord& fix);

    MapScriptHost& host_;
    OffsetSource& offsets_;
    const std::vector<GpsRecord>* table_ = nullptr;
    bool loaded_ = false;
};

}  // namespace track
