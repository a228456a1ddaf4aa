// app/fileplay/file_play_names.h
//
// The names and texts of the local file player: which files a drop and a
// folder scan take, the paths they make, what the multi-select open dialog
// hands back, the time and speed texts and where a snapshot goes.
//
// Names come from the disk and the user, so nothing here reads outside a name:
// a name shorter than its suffix, or with no '.', is simply not taken, and a
// path that would grow past its bound is not made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/base/play_ports.h"

namespace play {

// The bounds of the paths the scan (the system's MAX_PATH less its
// terminator) and a drop make.
inline constexpr size_t kScanPathMax = 259;
inline constexpr size_t kDropPathMax = 511;

// The part after the last '\' (the whole path when it has none).
std::string FileNameOf(const std::string& path);

// A dropped file is taken when its extension (from the last '.') is ".avi",
// ".264", ".h264" or ".nvr", in any case; a name without '.' is not.
bool IsDropVideoName(const std::string& name);
// The folder scan takes a file when the last four characters of its name
// are exactly ".264" or ".avi" (lower case).
bool IsScanVideoName(const std::string& name);

// folder + "\" + name, or nothing when that is longer than `maxLength`.
std::optional<std::string> JoinPath(const std::string& folder, const std::string& name, size_t maxLength);

// The files of an open dialog's multi-select buffer (the first `size` bytes
// of `buffer`): one file as a full path, or the folder followed by the file
// names, each ended by a NUL, the list by an empty name. What lies past
// `size` is never read; an unended last name is dropped.
std::vector<std::string> SplitOpenDialogFiles(const char* buffer, size_t size);

// "hh:mm:ss" of a count of seconds (negative counts as 0; hours go past 99).
std::string ClockText(int64_t seconds);

// The state text of a speed level -4..4: "x1" at 0, else the word for a
// slower or faster speed, a blank and "x1/2" .. "x1/16" or "x2" .. "x16".
std::string FileSpeedText(int level, const std::string& slowerWord, const std::string& fasterWord);

// Where a snapshot of the file `fileName` taken at `now` goes:
//   <capture>\<label>\YYYY-MM-DD\<file name>\YYYYMMDD-hhmmss.bmp
// The label (the source: "Local" or a recorder's name) and the file name are
// made plain folder names (SafeFolderName); an empty label adds no level.
struct SnapshotTarget {
    std::string folder;
    std::string file;
};
SnapshotTarget FileSnapshotTarget(const std::string& capturePath,
                                  const std::string& label,
                                  const std::string& fileName,
                                  const CivilTime& now);

}  // namespace play
