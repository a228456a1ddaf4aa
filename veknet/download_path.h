// veknet/download_path.h
//
// Paths of downloaded records.
//
// The program files a download under
//   RecordPath \ <recorder address> \ CH<nn> \ <YYYYMMDD> \ <HHMMSS>-<HHMMSS>
// (the channel counted from 1, the start date, the start and end clock
// times) with ".264" or ".avi" added. The address is what the user typed at
// the login, so it must make exactly one folder name: text holding a path
// separator, a drive colon or ".." is refused. The path is formatted with a
// bound and refused, never cut, when it would not fit.
//
// The library itself accepts any target the caller made, as long as it is
// zero-terminated within VEKNET_MAX_PATH bytes and has no ".." component, so a
// download can never climb out of the folder it was given.
#pragma once

#include <cstddef>
#include <string>

#include "veknet/veknet_api.h"

namespace veknet {

// True for a non-empty host text of at most 255 characters without '/', '\',
// ':', "..", or control characters.
bool IsSafeHostText(const char* host);

// Writes RecordPath\host\CHnn\YYYYMMDD\HHMMSS-HHMMSS plus `extension` (may be
// "" or null) into out[size], with the system's separator. False (out
// emptied) when an argument is missing, the host is not safe, the channel is
// outside 1..99, or the path would not fit in `size` bytes with its zero.
bool FormatDownloadTarget(const char* recordPath,
                          const char* host,
                          int channel,
                          const NetRecordTime& start,
                          const NetRecordTime& end,
                          const char* extension,
                          char* out,
                          size_t size);

// The target path of a download request, copied; false when it is missing,
// empty, not zero-terminated within VEKNET_MAX_PATH bytes, or has a ".." component.
bool AcceptTargetPath(const char* path, std::string* out);

// True when the path ends in ".avi" (any case).
bool IsAviTarget(const std::string& path);

}  // namespace veknet
