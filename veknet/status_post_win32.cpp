// veknet/status_post_win32.cpp
//
// Statuses reach the program's window as posted messages.
#include <windows.h>

#include "veknet/status_post.h"

namespace veknet {

void SystemPostStatus(const StatusTarget& target, uint32_t status) {
    PostMessageA(reinterpret_cast<HWND>(target.window), target.message, static_cast<WPARAM>(status), 0);
}

}  // namespace veknet
