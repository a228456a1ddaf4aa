// vkfs/reader_ops.cpp
//
// The default operations: the exported functions of vekfs_api, vekfs2_api and
// the built-in dvrfs reader.
#include "vkfs/reader_ops.h"

#include "reader/vekfs_api.h"

namespace vkfs {

namespace {

// One adapter per reader build; P is the export prefix.
#define VKFS_EXPORTED_VEKFS(Name, P)                                                                        \
    class Name final : public VekfsOps {                                                                    \
      public:                                                                                               \
        int Init(int maxChannels) override { return P##init(maxChannels); }                                 \
        int Exit(int unused) override { return P##exit(unused); }                                           \
        int AddDisk(int diskNumber, const char* path) override { return P##add_disk(diskNumber, path); }    \
        int RemoveDisk(int diskNumber) override { return P##remove_disk(diskNumber); }                      \
        int FindStart(vekfs::search_param* param, void* out) override { return P##find_start(param, out); } \
        int FindStop(int handle) override { return P##find_stop(handle); }                                  \
        int GetEvent(int handle, int listChannel, vekfs::event_list* out) override {                        \
            return P##get_event(handle, listChannel, out);                                                  \
        }                                                                                                   \
        int ReadStart(int channel) override { return P##read_start(channel); }                              \
        int TimeSeek(int slot,                                                                              \
                     vekfs::vekfs_time* time,                                                               \
                     int direction,                                                                         \
                     int reserved,                                                                          \
                     vekfs::event_desc* event) override {                                                   \
            return P##tseek(slot, time, direction, reserved, event);                                        \
        }                                                                                                   \
        int Read(int slot, void* buffer, int length, int* firstOffset) override {                           \
            return P##read(slot, buffer, length, firstOffset);                                              \
        }                                                                                                   \
        int ReadStop(int slot) override { return P##read_stop(slot); }                                      \
    };

VKFS_EXPORTED_VEKFS(ExportedVekfs1, vekfs_)
VKFS_EXPORTED_VEKFS(ExportedVekfs2, vekfs2_)
#undef VKFS_EXPORTED_VEKFS

class BuiltInDvrfs final : public DvrfsOps {
  public:
    int Init(int channels, int secondArgument, int diskGroup) override {
        return dvrfs_init(channels, secondArgument, diskGroup);
    }
    int Exit(int force) override { return dvrfs_exit(force); }
    int AddDisk(const char* path) override { return dvrfs_add_disk(path); }
    int RemoveDisk(const char* path, int force, int diskGroup) override {
        return dvrfs_remove_disk(path, force, diskGroup);
    }
    int Open(int channel, int rwflag) override { return dvrfs_open(channel, rwflag); }
    int Close(int handle, int force) override { return dvrfs_close(handle, force); }
    int FindStart(int handle, dvrfs_find_query* query, void* out, int diskSet) override {
        return dvrfs_find_start(static_cast<unsigned>(handle), query, out, diskSet);
    }
    int FindNext(int handle, void* out) override {
        return dvrfs_find_next(static_cast<unsigned>(handle), out);
    }
    int FindStop(int handle) override { return dvrfs_find_stop(static_cast<unsigned>(handle)); }
    int TimeSeek(int handle,
                 const int time[6],
                 int direction,
                 int count,
                 const dvrfs_find_result* record) override {
        return dvrfs_tseek(static_cast<unsigned>(handle), time, direction, count, record);
    }
    int Read(int handle, void* buffer, int length, int* out) override {
        return dvrfs_read(handle, buffer, length, out);
    }
};

struct Libraries {
    ExportedVekfs1 v1Ops;
    ExportedVekfs2 v2Ops;
    BuiltInDvrfs dvrfsOps;
    VekfsLibrary v1{&v1Ops};
    VekfsLibrary v2{&v2Ops};
    DvrfsLibrary dvrfs{&dvrfsOps};
};

Libraries& TheLibraries() {
    static Libraries libraries;
    return libraries;
}

}  // namespace

ReaderSet Readers() {
    Libraries& l = TheLibraries();
    return ReaderSet{l.v1, l.v2, l.dvrfs};
}

ScopedReaderOverride::ScopedReaderOverride(VekfsOps* v1, VekfsOps* v2, DvrfsOps* dvrfs) {
    ReaderSet r = Readers();
    if (v1)
        oldV1_ = r.v1.Swap(v1);
    if (v2)
        oldV2_ = r.v2.Swap(v2);
    if (dvrfs)
        oldDvrfs_ = r.dvrfs.Swap(dvrfs);
}

ScopedReaderOverride::~ScopedReaderOverride() {
    ReaderSet r = Readers();
    if (oldV1_)
        r.v1.Swap(oldV1_);
    if (oldV2_)
        r.v2.Swap(oldV2_);
    if (oldDvrfs_)
        r.dvrfs.Swap(oldDvrfs_);
}

}  // namespace vkfs
