// Rows of the recording list: texts, order, reading them back, time-bar records.
#include <gtest/gtest.h>

#include "app/browse/record_rows.h"

namespace browse {
namespace {

RecTime At(int year, int month, int day, int hour, int minute, int second) {
    return RecTime{year, month, day, hour, minute, second};
}

TEST(RecordRows, TextsOfARow) {
    EXPECT_EQ(MakeRow(At(23, 12, 1, 10, 15, 0), At(23, 12, 1, 11, 5, 9), 1, 1991672, 8),
              (ListRow{"231201-10:15:00-11:05:09", "1", "1.90M", kRowImageOther}));
    EXPECT_EQ(MakeRow(At(5, 1, 2, 3, 4, 5), At(5, 1, 2, 3, 4, 6), 48, 0, 1),
              (ListRow{"050102-03:04:05-03:04:06", "48", "0.00M", kRowImageNormal}));
    EXPECT_EQ(RowSizeText(3 * 524288), "1.50M");
    EXPECT_EQ(RowSizeText(0xFFFFFFFFu), "4096.00M");
}

TEST(RecordRows, OrderIsDateAndStartThenIdAsTextAndElseArrival) {
    std::vector<ListRow> rows;
    const auto add = [&](const char* file, const char* id, const char* size) {
        const ListRow row{file, id, size, kRowImageOther};
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(RowInsertPosition(rows, row)), row);
    };
    add("231215-09:00:00-09:02:00", "2", "a");
    add("231215-09:00:00-09:01:30", "10", "b");
    add("231215-08:59:59-09:30:00", "7", "c");
    add("231215-09:00:00-09:05:00", "2", "d");  // equal key and ID: after the earlier one
    add("231214-23:00:00-23:01:00", "3", "e");
    add("231215-09:00:01-09:00:02", "1", "f");
    std::string order;
    for (const ListRow& row : rows)
        order += row.size;
    EXPECT_EQ(order, "ecbadf");
}

TEST(RecordRows, RowTextReadsBackIntoChannelAndStart) {
    const ListRow row = MakeRow(At(18, 3, 12, 23, 59, 58), At(18, 3, 13, 0, 0, 1), 10, 5, 2);
    const std::optional<RowStart> start = ParseRow(row.file, row.id);
    ASSERT_TRUE(start);
    EXPECT_EQ(std::vector<int>({start->channel, start->year, start->month, start->day, start->hour,
                                start->minute, start->second}),
              std::vector<int>({9, 18, 3, 12, 23, 59, 58}));

    for (const auto& [file, id] : std::vector<std::pair<std::string, std::string>>{
             {"", "1"},
             {"180312", "1"},
             {"180312-10:15", "1"},
             {"180312-24:00:00-24:00:01", "1"},
             {"180312-10:60:00-10:61:00", "1"},
             {"181312-10:00:00-10:01:00", "1"},
             {"18x312-10:00:00-10:01:00", "1"},
             {"180312-10:00:00-10:01:00", "0"},
             {"180312-10:00:00-10:01:00", "x"},
             {"180312-10:00:00-10:01:00", "99999999999"},
         })
        EXPECT_EQ(ParseRow(file, id), std::nullopt) << file << " / " << id;
}

TEST(RecordRows, TimebarRecordCarriesColourTimesTypeAndLength) {
    const play::_recfile_info_t r =
        TimebarRecordOf(At(23, 12, 31, 23, 58, 0), At(23, 12, 31, 23, 59, 30), 128, 59504);
    EXPECT_EQ(r.colour, 0xFFAA00u);
    EXPECT_EQ(r.downloadState, 0u);
    EXPECT_EQ(r.sourceWord, 28u);
    EXPECT_EQ(r.start.year, 2023);
    EXPECT_EQ(r.start.minute, 58);
    EXPECT_EQ(r.end.second, 30);
    EXPECT_EQ(r.type, 128);
    EXPECT_EQ(r.length, 59504u);
    EXPECT_EQ(r.downloadHandle, 0u);
}

}  // namespace
}  // namespace browse
