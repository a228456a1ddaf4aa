// app/browse/veknet_net_library.cpp
#include "app/browse/net_library.h"

namespace browse {

uint32_t VekNetLibrary::ConnectionStart(const NetLoginRequest& request) {
    return VekNetConnectionStart(&request);
}

void VekNetLibrary::ConnectionStop(uint32_t* login) {
    VekNetConnectionStop(login);
}

const char* VekNetLibrary::GetDevInfo(uint32_t login, uint8_t* buffer, int32_t size) {
    return VekNetGetDevInfo(login, buffer, size);
}

int32_t VekNetLibrary::QueryRecord(uint32_t login, const NetRecordQuery& query) {
    return VekNetQueryRecord(login, &query);
}

}  // namespace browse
