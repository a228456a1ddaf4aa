// reader/vekfs_exports.cpp
//
// The exported functions of one reader build, forwarding to that build's own
// Reader. Compiled once per build with VEKFS_FORMAT_VERSION 1 or 2.
#include "reader/vekfs_api.h"

#if VEKFS_FORMAT_VERSION == 1
#define VEKFS_FN(name) vekfs_##name
#define VEKFS_PROFILE vekfs::kReaderV1
#elif VEKFS_FORMAT_VERSION == 2
#define VEKFS_FN(name) vekfs2_##name
#define VEKFS_PROFILE vekfs::kReaderV2
#else
#error "VEKFS_FORMAT_VERSION must be 1 or 2"
#endif

namespace {

vekfs::Reader& TheReader() {
    static vekfs::Reader reader(VEKFS_PROFILE);
    return reader;
}

}  // namespace

extern "C" {

int VEK_CALL VEKFS_FN(init)(int max_channels) {
    return TheReader().init(max_channels);
}
int VEK_CALL VEKFS_FN(exit)(int unused) {
    return TheReader().exit(unused);
}
int VEK_CALL VEKFS_FN(add_disk)(int disk_number, const char* path) {
    return TheReader().add_disk(disk_number, path);
}
int VEK_CALL VEKFS_FN(remove_disk)(int disk_number) {
    return TheReader().remove_disk(disk_number);
}
int VEK_CALL VEKFS_FN(get_disk_status)(int disk_number, vekfs::disk_status_t* out, int* result) {
    return TheReader().get_disk_status(disk_number, out, result);
}
#if VEKFS_FORMAT_VERSION == 1
int VEK_CALL vekfs_channel_open(int channel) {
    return TheReader().channel_open(channel);
}
#else
int VEK_CALL vekfs2_channel_open(int channel, unsigned int) {
    return TheReader().channel_open(channel);
}
#endif
int VEK_CALL VEKFS_FN(channel_close)(int channel) {
    return TheReader().channel_close(channel);
}
int VEK_CALL VEKFS_FN(find_start)(vekfs::search_param* param, void* out) {
    return TheReader().find_start(param, out);
}
int VEK_CALL VEKFS_FN(find_stop)(int handle) {
    return TheReader().find_stop(handle);
}
int VEK_CALL VEKFS_FN(get_event)(int handle, int list_channel, vekfs::event_list* out) {
    return TheReader().get_event(handle, list_channel, out);
}
int VEK_CALL VEKFS_FN(read_start)(int channel) {
    return TheReader().read_start(channel);
}
int VEK_CALL VEKFS_FN(read)(int slot, void* buffer, int length, int* first_offset) {
    return TheReader().read(slot, buffer, length, first_offset);
}
int VEK_CALL
VEKFS_FN(tseek)(int slot, vekfs::vekfs_time* time, int direction, int reserved, vekfs::event_desc* event) {
    return TheReader().tseek(slot, time, direction, reserved, event);
}
int VEK_CALL VEKFS_FN(get_next_kframe)(int slot, void* buffer, int length, int* first_offset, int step) {
    return TheReader().get_next_kframe(slot, buffer, length, first_offset, step);
}
int VEK_CALL VEKFS_FN(get_prev_kframe)(int slot, void* buffer, int length, int* first_offset, int step) {
    return TheReader().get_prev_kframe(slot, buffer, length, first_offset, step);
}
int VEK_CALL VEKFS_FN(get_current_kframe)(int slot, void* buffer, int length, int* first_offset) {
    return TheReader().get_current_kframe(slot, buffer, length, first_offset);
}
int VEK_CALL VEKFS_FN(read_stop)(int slot) {
    return TheReader().read_stop(slot);
}

}  // extern "C"
