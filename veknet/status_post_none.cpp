// veknet/status_post_none.cpp
//
// Without a window system there is nowhere to post a status.
#include "veknet/status_post.h"

namespace veknet {

void SystemPostStatus(const StatusTarget&, uint32_t) {}

}  // namespace veknet
