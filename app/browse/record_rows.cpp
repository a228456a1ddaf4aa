// app/browse/record_rows.cpp
#include "app/browse/record_rows.h"

#include <charconv>
#include <cstdio>

namespace browse {

namespace {

// A non-negative decimal number of at most nine digits and nothing else.
std::optional<int> Number(std::string_view text) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

}  // namespace

std::string RowFileText(const RecTime& start, const RecTime& end) {
    char text[96];
    std::snprintf(text, sizeof text, "%02d%02d%02d-%02d:%02d:%02d-%02d:%02d:%02d", start.year, start.month,
                  start.day, start.hour, start.minute, start.second, end.hour, end.minute, end.second);
    return text;
}

std::string RowSizeText(uint32_t length) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2fM", static_cast<double>(length) / 1024 / 1024);
    return text;
}

ListRow MakeRow(const RecTime& start, const RecTime& end, int channelNumber, uint32_t length, int typeBit) {
    return ListRow{RowFileText(start, end), std::to_string(channelNumber), RowSizeText(length),
                   typeBit == 1 ? kRowImageNormal : kRowImageOther};
}

size_t RowInsertPosition(const std::vector<ListRow>& rows, const ListRow& row) {
    const std::string_view key = std::string_view(row.file).substr(0, kRowKeyLength);
    for (size_t i = 0; i < rows.size(); i++) {
        const std::string_view other = std::string_view(rows[i].file).substr(0, kRowKeyLength);
        const int order = other.compare(key);
        if (order > 0 || (order == 0 && rows[i].id.compare(row.id) > 0))
            return i;
    }
    return rows.size();
}

std::optional<RowStart> ParseRow(std::string_view file, std::string_view id) {
    const size_t dash = file.find('-');
    if (dash == std::string_view::npos)
        return std::nullopt;
    const size_t clockEnd = file.find('-', dash + 1);
    const std::string_view clock = file.substr(
        dash + 1, clockEnd == std::string_view::npos ? std::string_view::npos : clockEnd - dash - 1);
    const size_t colon1 = clock.find(':');
    const size_t colon2 = colon1 == std::string_view::npos ? colon1 : clock.find(':', colon1 + 1);
    if (colon2 == std::string_view::npos)
        return std::nullopt;

    const auto date = Number(file.substr(0, dash));
    const auto hour = Number(clock.substr(0, colon1));
    const auto minute = Number(clock.substr(colon1 + 1, colon2 - colon1 - 1));
    const auto second = Number(clock.substr(colon2 + 1));
    const auto channel = Number(id);
    if (!date || !hour || !minute || !second || !channel || *channel < 1)
        return std::nullopt;

    RowStart r{*channel - 1, *date / 10000, *date / 100 % 100, *date % 100, *hour, *minute, *second};
    if (r.month < 1 || r.month > 12 || r.day < 1 || r.day > 31 || r.hour > 23 || r.minute > 59 ||
        r.second > 59)
        return std::nullopt;
    return r;
}

play::_recfile_info_t TimebarRecordOf(const RecTime& start,
                                      const RecTime& end,
                                      int32_t typeBit,
                                      uint32_t length) {
    play::_recfile_info_t record;
    record.colour = play::RecordTypeColour(typeBit);
    record.sourceWord = 28;
    record.start = play::RecfileTimeFromRecTime(start);
    record.end = play::RecfileTimeFromRecTime(end);
    record.type = typeBit;
    record.length = length;
    return record;
}

}  // namespace browse
