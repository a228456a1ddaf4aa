// vkfs/dvrfs_unavailable.cpp
//
// The dvrfs entry points while the third-format reader is not built in: they
// answer as the reader does for a disk it does not recognise. Starting takes
// at most 16 channels (the reader's limit) and succeeds, no disk mounts, and
// every call on a handle finds none open. Replaced by the reader itself.
#include "vkfs/dvrfs_entry.h"

namespace {

constexpr int kMaxDvrfsChannels = 16;
constexpr int kFail = -1;
constexpr int kHandleNotOpen = -5;

}  // namespace

int dvrfs_init(int channels, int, int) {
    return channels > kMaxDvrfsChannels ? kFail : 0;
}
int dvrfs_exit(int force) {
    return force ? kFail : 0;
}
int dvrfs_add_disk(const char*) {
    return kFail;
}
int dvrfs_remove_disk(const char*, int, int) {
    return kFail;
}
int dvrfs_open(int, int) {
    return kFail;
}
int dvrfs_close(int, int) {
    return kHandleNotOpen;
}
int dvrfs_find_start(unsigned, vkfs::dvrfs_find_query*, void*, int) {
    return kHandleNotOpen;
}
int dvrfs_find_next(unsigned, void*) {
    return kHandleNotOpen;
}
int dvrfs_find_stop(unsigned) {
    return kHandleNotOpen;
}
int dvrfs_tseek(unsigned, const int[6], int, int, const vkfs::dvrfs_find_result*) {
    return kHandleNotOpen;
}
int dvrfs_read(int, void*, int, int*) {
    return kHandleNotOpen;
}
