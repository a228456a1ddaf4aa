// app/gps_record.h
//
// One GPS fix of the playing day (96 bytes), as the configuration's GPS table
// holds them, ordered by time of day. The map panes, the map page and the
// sensor chart read the named fields; the gaps are kept so that a table filled
// from recorded data keeps its size. Nothing in the program fills the table
// yet: it starts empty and is only emptied again.
#pragma once

#include <cstddef>
#include <cstdint>

// The first six bytes of a fix: what the GPS searches take as a time key. Only
// hour, minute and second count.
struct GpsTimeKey {
    uint8_t Year;  // years since 2000
    uint8_t Month;
    uint8_t Day;
    uint8_t Hour;
    uint8_t Minute;
    uint8_t Second;
};

struct GpsRecord {
    uint8_t Year;  // years since 2000
    uint8_t Month;
    uint8_t Day;
    uint8_t Hour;
    uint8_t Minute;
    uint8_t Second;
    uint8_t reserved6[2];
    double Latitude;   // degrees, magnitude
    double Longitude;  // degrees, magnitude
    float Speed;       // non-zero while moving
    float Heading;
    char NorthSouth;  // 'S' makes the latitude negative
    char EastWest;    // 'W' makes the longitude negative
    uint8_t reserved34[18];
    int32_t Temperature;
    uint8_t reserved56[4];
    int32_t State;
    uint8_t Inputs[8];  // alarm inputs 1..8, 1 = active
    uint8_t reserved72[24];

    GpsTimeKey TimeKey() const { return {Year, Month, Day, Hour, Minute, Second}; }
};

static_assert(sizeof(GpsRecord) == 96);
static_assert(offsetof(GpsRecord, Latitude) == 8);
static_assert(offsetof(GpsRecord, Speed) == 24);
static_assert(offsetof(GpsRecord, NorthSouth) == 32);
static_assert(offsetof(GpsRecord, Temperature) == 52);
static_assert(offsetof(GpsRecord, State) == 60);
static_assert(offsetof(GpsRecord, Inputs) == 64);
