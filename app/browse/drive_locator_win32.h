// app/browse/drive_locator_win32.h
//
// The physical drive of a volume, from Windows: the volume is opened for
// reading (shared) and asked for its storage device number.
#pragma once

#include "app/browse/disk_library.h"

namespace browse {

class Win32DriveLocator final : public DriveLocator {
  public:
    std::optional<int> PhysicalDriveOf(const std::string& volume) override;
};

}  // namespace browse
