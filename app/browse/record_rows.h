// app/browse/record_rows.h
//
// The rows of the recording list: their texts, their order, and the texts read
// back into a channel and a start time when a row is played.
//
// FILE is "YYMMDD-HH:MM:SS-HH:MM:SS" (two-digit year), ID the one-based channel
// ("%d") and SIZE the length in MiB ("%.2fM"). Rows are ordered by their first
// 15 characters (date and start time) and then by ID as text, so channel 10
// sorts before channel 2; rows with equal keys keep the order they arrived in.
//
// A length is an unsigned byte count, so a recording past 2 GiB shows its
// size, not a negative one. A row whose texts do not read back as a channel
// and a time of day (hour 0..23, minutes and seconds 0..59) plays nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/base/timebar_record.h"
#include "vkfs/vkfs_api.h"

namespace browse {

// Small images of the list: record-type bit 1 (normal recording), anything else.
inline constexpr int kRowImageNormal = 1;
inline constexpr int kRowImageOther = 2;
inline constexpr size_t kRowKeyLength = 15;  // "YYMMDD-HH:MM:SS"

struct ListRow {
    std::string file;
    std::string id;
    std::string size;
    int image = kRowImageOther;
    bool operator==(const ListRow&) const = default;
};

std::string RowFileText(const RecTime& start, const RecTime& end);
std::string RowSizeText(uint32_t length);
ListRow MakeRow(const RecTime& start, const RecTime& end, int channelNumber, uint32_t length, int typeBit);

// Where a new row goes among rows already in order.
size_t RowInsertPosition(const std::vector<ListRow>& rows, const ListRow& row);

// What a row says about its recording's start.
struct RowStart {
    int channel = 0;  // zero-based
    int year = 0;     // counted from 2000
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
std::optional<RowStart> ParseRow(std::string_view file, std::string_view id);

// The time-bar record of a recording: its type's colour, the 28 of the word
// the bar does not read, full years.
play::_recfile_info_t TimebarRecordOf(const RecTime& start,
                                      const RecTime& end,
                                      int32_t typeBit,
                                      uint32_t length);

}  // namespace browse
