// vkfs/reader_ops.h
//
// The readers as VKFS reaches them: one table of operations per reader kind
// (the format 1 and 2 readers share a shape, dvrfs has its own), bound by
// default to the reader libraries' exported functions. Tests put scripted fake
// readers in their place with ScopedReaderOverride.
//
// The readers keep their state in process-wide tables and are not written for
// concurrent callers, while up to ten VKFS threads per disk use them. So every
// call goes through the reader's LockedReader, which holds one lock per reader
// library for the length of each call. The lock is never held across a
// callback into the caller.
#pragma once

#include <mutex>

#include "reader/format.h"
#include "vkfs/dvrfs_entry.h"
#include "vkfs/vkfs_api.h"

namespace vkfs {

// The calls VKFS makes of a format 1 or 2 reader (reader/vekfs_api.h).
class VekfsOps {
  public:
    virtual ~VekfsOps() = default;
    virtual int Init(int maxChannels) = 0;
    virtual int Exit(int unused) = 0;
    virtual int AddDisk(int diskNumber, const char* path) = 0;
    virtual int RemoveDisk(int diskNumber) = 0;
    virtual int FindStart(vekfs::search_param* param, void* out) = 0;
    virtual int FindStop(int handle) = 0;
    virtual int GetEvent(int handle, int listChannel, vekfs::event_list* out) = 0;
    virtual int ReadStart(int channel) = 0;
    virtual int TimeSeek(int slot,
                         vekfs::vekfs_time* time,
                         int direction,
                         int reserved,
                         vekfs::event_desc* event) = 0;
    virtual int Read(int slot, void* buffer, int length, int* firstOffset) = 0;
    virtual int ReadStop(int slot) = 0;
};

// The calls VKFS makes of the dvrfs reader (vkfs/dvrfs_entry.h).
class DvrfsOps {
  public:
    virtual ~DvrfsOps() = default;
    virtual int Init(int channels, int secondArgument, int diskGroup) = 0;
    virtual int Exit(int force) = 0;
    virtual int AddDisk(const char* path) = 0;
    virtual int RemoveDisk(const char* path, int force, int diskGroup) = 0;
    virtual int Open(int channel, int rwflag) = 0;
    virtual int Close(int handle, int force) = 0;
    virtual int FindStart(int handle, dvrfs_find_query* query, void* out, int diskSet) = 0;
    virtual int FindNext(int handle, void* out) = 0;
    virtual int FindStop(int handle) = 0;
    virtual int TimeSeek(int handle,
                         const int time[6],
                         int direction,
                         int count,
                         const dvrfs_find_result* record) = 0;
    virtual int Read(int handle, void* buffer, int length, int* out) = 0;
};

// A reader library's operations, called one at a time: each call holds the
// library's lock for its length.
template <typename Ops>
class LockedReader {
  public:
    explicit LockedReader(Ops* ops) : ops_(ops) {}
    LockedReader(const LockedReader&) = delete;
    LockedReader& operator=(const LockedReader&) = delete;

    // Replaces the operations (tests); returns the previous ones.
    Ops* Swap(Ops* ops) {
        std::lock_guard<std::mutex> hold(lock_);
        Ops* old = ops_;
        ops_ = ops;
        return old;
    }

  protected:
    template <typename Fn, typename... Args>
    int Call(Fn fn, Args... args) {
        std::lock_guard<std::mutex> hold(lock_);
        return (ops_->*fn)(args...);
    }

    std::mutex lock_;
    Ops* ops_;
};

// One format 1 or 2 reader library.
class VekfsLibrary : public LockedReader<VekfsOps> {
  public:
    using LockedReader::LockedReader;

    int Init(int maxChannels) { return Call(&VekfsOps::Init, maxChannels); }
    int Exit(int unused) { return Call(&VekfsOps::Exit, unused); }
    int AddDisk(int diskNumber, const char* path) { return Call(&VekfsOps::AddDisk, diskNumber, path); }
    int RemoveDisk(int diskNumber) { return Call(&VekfsOps::RemoveDisk, diskNumber); }
    int FindStart(vekfs::search_param* param, void* out) { return Call(&VekfsOps::FindStart, param, out); }
    int FindStop(int handle) { return Call(&VekfsOps::FindStop, handle); }
    int ReadStart(int channel) { return Call(&VekfsOps::ReadStart, channel); }
    int TimeSeek(int slot, vekfs::vekfs_time* time, int direction, int reserved, vekfs::event_desc* event) {
        return Call(&VekfsOps::TimeSeek, slot, time, direction, reserved, event);
    }
    int Read(int slot, void* buffer, int length, int* firstOffset) {
        return Call(&VekfsOps::Read, slot, buffer, length, firstOffset);
    }
    int ReadStop(int slot) { return Call(&VekfsOps::ReadStop, slot); }

    // Copies a handle's event list for one channel while no other call runs:
    // the list belongs to the reader. 0 or the reader's code.
    template <typename Fn>
    int WithEventList(int handle, int listChannel, Fn&& use) {
        std::lock_guard<std::mutex> hold(lock_);
        vekfs::event_list list;
        const int rc = ops_->GetEvent(handle, listChannel, &list);
        if (rc == 0)
            use(list);
        return rc;
    }
};

// The dvrfs reader library.
class DvrfsLibrary : public LockedReader<DvrfsOps> {
  public:
    using LockedReader::LockedReader;

    int Init(int channels, int secondArgument, int diskGroup) {
        return Call(&DvrfsOps::Init, channels, secondArgument, diskGroup);
    }
    int Exit(int force) { return Call(&DvrfsOps::Exit, force); }
    int AddDisk(const char* path) { return Call(&DvrfsOps::AddDisk, path); }
    int RemoveDisk(const char* path, int force, int diskGroup) {
        return Call(&DvrfsOps::RemoveDisk, path, force, diskGroup);
    }
    int Open(int channel, int rwflag) { return Call(&DvrfsOps::Open, channel, rwflag); }
    int Close(int handle, int force) { return Call(&DvrfsOps::Close, handle, force); }
    int FindStart(int handle, dvrfs_find_query* query, void* out, int diskSet) {
        return Call(&DvrfsOps::FindStart, handle, query, out, diskSet);
    }
    int FindNext(int handle, void* out) { return Call(&DvrfsOps::FindNext, handle, out); }
    int FindStop(int handle) { return Call(&DvrfsOps::FindStop, handle); }
    int TimeSeek(int handle, const int time[6], int direction, int count, const dvrfs_find_result* record) {
        return Call(&DvrfsOps::TimeSeek, handle, time, direction, count, record);
    }
    int Read(int handle, void* buffer, int length, int* out) {
        return Call(&DvrfsOps::Read, handle, buffer, length, out);
    }
};

// The three readers of the process, in probe order.
struct ReaderSet {
    VekfsLibrary& v1;
    VekfsLibrary& v2;
    DvrfsLibrary& dvrfs;
};
ReaderSet Readers();

// Puts other operations in place of the reader libraries for the lifetime of
// the object (tests). Null leaves a reader as it is. Only while no disk is open.
class ScopedReaderOverride {
  public:
    ScopedReaderOverride(VekfsOps* v1, VekfsOps* v2, DvrfsOps* dvrfs);
    ~ScopedReaderOverride();
    ScopedReaderOverride(const ScopedReaderOverride&) = delete;
    ScopedReaderOverride& operator=(const ScopedReaderOverride&) = delete;

  private:
    VekfsOps* oldV1_ = nullptr;
    VekfsOps* oldV2_ = nullptr;
    DvrfsOps* oldDvrfs_ = nullptr;
};

}  // namespace vkfs
