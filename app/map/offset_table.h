// app/map/offset_table.h
//
// The map offset table in memory: one OffsetRecord per row of the table `min`
// of "GoogleMapOffset.db". A row is keyed by a position rounded to 0.1 degree,
// written as "%0.1f" text ("31.2", "-8.5"); column 0 holds the latitude key,
// column 1 the longitude key, columns 2 and 3 the latitude and longitude
// corrections in degrees as decimal text. (The first two columns are named Lng
// and Lat in the database, the other way round from what they hold; the names
// stay, since the database file is made elsewhere.)
//
// Cells are copied as text and cut to their field, always zero-terminated: 7
// characters for a key, 19 for a correction. A NULL cell, or a cell missing
// from a short row, gives an empty text.
//
// FindOffsetRow needs the table ordered by Lng, then Lat, in byte order of the
// texts; SortOffsetTable puts it in that order. A key matches a stored text
// that begins with the key (so "31.2" also finds "31.25"): a binary search on
// Lng finds a matching row, then the rows beside it with the same Lng text are
// walked towards the longitude key.
#pragma once

#include <cstddef>
#include <vector>

struct OffsetRecord {
    char Lng[8];             // latitude key text
    char Lat[8];             // longitude key text
    char LatCorrection[20];  // degrees, decimal text
    char LngCorrection[20];  // degrees, decimal text
};
static_assert(sizeof(OffsetRecord) == 56);

// One row as the database hands it: `columns` cells, each text or nullptr.
OffsetRecord OffsetRecordFromRow(int columns, char** cells);
// Copies a text into a field, cut to size - 1 characters and zero-filled.
void CopyOffsetField(char* field, size_t size, const char* text);

void SortOffsetTable(std::vector<OffsetRecord>& table);
const OffsetRecord* FindOffsetRow(const std::vector<OffsetRecord>& table,
                                  const char* latKey,
                                  const char* lngKey);
