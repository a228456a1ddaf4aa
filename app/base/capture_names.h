// app/base/capture_names.h
//
// Where a play pane's snapshots and clips go, named by the wall-clock time of
// the click (not the played time) and the pane:
//
//   <CapturePath>\<source>\YYYY-MM-DD\chNN-YYYYMMDD-hhmmss.bmp
//   <ClipPath>\<source>\YYYY-MM-DD\chNN-YYYYMMDD-hhmmss.mp4   (video type 0)
//                                                      .avi   (video type 1)
//
// NN is the pane index + 1 ("ch01" .. "ch04"). The source is "Local" for the
// recorder's disk and the recorder's name over the network. That name comes
// from the recorder, so it is made a single plain folder name: separators,
// drive colons, the characters the file system refuses and control characters
// become '_', and a name of dots only ("." / "..") becomes "_", so a recorder
// cannot steer files out of the configured folder. An empty name adds no
// level. A video type other than 1 writes ".mp4", the default.
#pragma once

#include <string>

#include "app/base/play_ports.h"

namespace play {

std::string SafeFolderName(const std::string& name);

// The date folder of a capture or clip, created before the file is written.
std::string CaptureFolder(const std::string& base, const std::string& source, const CivilTime& now);

std::string SnapshotPath(const std::string& folder, int pane, const CivilTime& now);
std::string ClipFilePath(const std::string& folder, int pane, const CivilTime& now, int videoType);
// The playback library's clip type: 1 ".mp4", 2 ".avi".
int ClipRecordType(int videoType);

// "YYYY-MM-DD hh:mm:ss", the panes' time text.
std::string FormatTimeText(const CivilTime& t);
inline constexpr const char* kNoTimeText = "0000-00-00 00:00:00";

}  // namespace play
