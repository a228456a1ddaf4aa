// reader/vekfs_api.h
//
// The plain C interface of the two reader libraries: vekfs_api (on-disk format
// version 1) exports the seventeen functions with the prefix vekfs_, vekfs2_api
// (version 2) the same seventeen with the prefix vekfs2_. Results are 0 or a
// handle on success and a negative vekfs_err on failure (reader/reader.h).
#pragma once

#include "platform/callconv.h"
#include "reader/format.h"
#include "reader/reader.h"

#define VEKFS_DECLARE_API(P)                                                                          \
    int VEK_CALL P##init(int max_channels);                                                           \
    int VEK_CALL P##exit(int unused);                                                                 \
    int VEK_CALL P##add_disk(int disk_number, const char* path);                                      \
    int VEK_CALL P##remove_disk(int disk_number);                                                     \
    int VEK_CALL P##get_disk_status(int disk_number, vekfs::disk_status_t* out, int* result);         \
    int VEK_CALL P##channel_close(int channel);                                                       \
    int VEK_CALL P##find_start(vekfs::search_param* param, void* out);                                \
    int VEK_CALL P##find_stop(int handle);                                                            \
    int VEK_CALL P##get_event(int handle, int list_channel, vekfs::event_list* out);                  \
    int VEK_CALL P##read_start(int channel);                                                          \
    int VEK_CALL P##read(int slot, void* buffer, int length, int* first_offset);                      \
    int VEK_CALL P##tseek(int slot, vekfs::vekfs_time* time, int direction, int reserved,             \
                          vekfs::event_desc* event);                                                  \
    int VEK_CALL P##get_next_kframe(int slot, void* buffer, int length, int* first_offset, int step); \
    int VEK_CALL P##get_prev_kframe(int slot, void* buffer, int length, int* first_offset, int step); \
    int VEK_CALL P##get_current_kframe(int slot, void* buffer, int length, int* first_offset);        \
    int VEK_CALL P##read_stop(int slot);

extern "C" {
VEKFS_DECLARE_API(vekfs_)
int VEK_CALL vekfs_channel_open(int channel);
VEKFS_DECLARE_API(vekfs2_)
int VEK_CALL vekfs2_channel_open(int channel, unsigned int unused);
}
