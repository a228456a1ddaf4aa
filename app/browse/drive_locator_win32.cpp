// app/browse/drive_locator_win32.cpp
#include "app/browse/drive_locator_win32.h"

#include <windows.h>
#include <winioctl.h>

#include <climits>

namespace browse {

std::optional<int> Win32DriveLocator::PhysicalDriveOf(const std::string& volume) {
    HANDLE device = CreateFileA(volume.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return std::nullopt;
    STORAGE_DEVICE_NUMBER number{};
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(device, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number,
                                    sizeof number, &returned, nullptr);
    CloseHandle(device);
    if (!ok || returned < sizeof number || number.DeviceNumber > INT_MAX)
        return std::nullopt;
    return static_cast<int>(number.DeviceNumber);
}

}  // namespace browse
