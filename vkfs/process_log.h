// vkfs/process_log.h
//
// The library's process log, "log.txt" in the working directory. A disk object
// starts it afresh with one line
//     2024-3-5 9:07:02 ------------start-----------
// and each failure appends one line: the local date and time (no leading
// zeros), a blank, and the message, which ends in "---" and the number that
// identifies the place it comes from (LogPlace). The file is opened, written,
// flushed and closed for each line; a file that cannot be opened is skipped.
// Lines are written by one thread at a time, whichever disk object or worker
// thread writes them.
#pragma once

#include <string>

namespace vkfs {

// The places that log, with their numbers.
enum LogPlace : int {
    kPlaceVkfsInit = 83,
    kPlaceVkfsAddDisk = 92,
    kPlaceVkfs2Init = 99,
    kPlaceVkfs2AddDisk = 108,
    kPlaceDvrfsInit = 116,
    kPlaceDvrfsAddDisk = 125,
    kPlaceMonthEvent = 158,
    kPlaceDvrfsOpenMonth = 193,
    kPlaceDvrfsOpenDay = 494,
    kPlaceDvrfsFindNext = 541,
    kPlaceDayFindVekfs = 593,
    kPlaceDayFindVekfs2 = 689,
    kPlacePlayReadStartVekfs = 1030,
    kPlacePlaySeekVekfs = 1058,
    kPlacePlayReadVekfs = 1142,
    kPlacePlayReadStartVekfs2 = 1185,
    kPlacePlaySeekVekfs2 = 1213,
    kPlacePlayReadVekfs2 = 1297,
    kPlaceJumpFind = 1804,
    kPlaceJumpSeek = 1835,
    kPlaceDvrfsExportRead = 2139,
    kPlaceExportReadStartVekfs = 2188,
    kPlaceExportReadVekfs = 2215,
    kPlaceExportReadStartVekfs2 = 2258,
    kPlaceExportReadVekfs2 = 2285,
    // dvrfs results handed back with -23 (valid, though the index changed
    // under the find): kept, and logged where they were taken.
    kPlaceDvrfsMonthKept = 197,
    kPlaceDvrfsDayKept = 501,
    kPlacePlayFindKept = 1073,
    kPlacePlayNextKept = 1096,
    kPlaceJumpFindKept = 1806,
};

class ProcessLog {
  public:
    ProcessLog();

    // Truncates the file and writes the start line.
    void Start();
    // Formats a message (its format ends in "---%d", the place number last)
    // and appends its line.
    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));

    const std::string& Path() const { return path_; }
    // The last message written, for tests.
    std::string LastMessage() const;

  private:
    std::string path_;
    std::string last_;
};

// The path every new disk object logs to: "" restores the default (the working
// directory's log.txt). For tests.
void SetLogPathForTests(const std::string& path);

}  // namespace vkfs
