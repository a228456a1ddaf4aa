// reader/reader.cpp
//
// The reader's interface: argument checks, the channel table, search handles
// and reader slots. Mounting lives in mount.cpp, searches in search.cpp, stream
// reading in stream.cpp.
#include "reader/reader.h"

#include <cstdio>
#include <new>

#include "reader/diag.h"
#include "reader/dump.h"

namespace vekfs {

namespace {
constexpr size_t kChannelBufferSize = 480;
}

Reader::Reader(const ReaderProfile& profile) : profile_(profile) {}

Reader::~Reader() {
    free_all();
}

void Reader::clear_slot(reader_slot& slot) {
    slot.iframe_hHDD.reset();
    slot.page.reset();
    slot.overwritten = 0;
    slot.in_use = false;
    slot.sought = false;
    slot.event_index = 0;
    slot.channel = 0;
    slot.has_location = false;
    slot.location = 0;
    slot.file_base = 0;
    slot.pos = 0;
    slot.data_start = 0;
    slot.data_length = 0;
    slot.cur_kframe = slot.low_kframe = slot.high_kframe = 0;
    slot.page_first = 0;
    slot.page_count = 0;
}

void Reader::clear_handle(search_handle& handle) {
    handle.in_use = false;
    handle.earliest = 0;
    handle.latest = 0;
    handle.touched.fill(0);
    for (event_list_store& list : handle.lists) {
        std::vector<event_desc>().swap(list.events);
        list.count = 0;
        list.cursor = 0;
    }
}

// Frees what a previous run left in the tables (the disks stay mounted).
// Lock order: a slot's mutex may be held while taking lock_, never the reverse.
void Reader::free_all() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        for (channel_entry& c : channels_) {
            c.device.reset();
            c.buffer.reset();
            c.state = 0;
            c.number = 0;
        }
        for (search_handle& h : handles_)
            clear_handle(h);
    }
    for (reader_slot& s : slots_) {
        std::lock_guard<std::mutex> slotGuard(s.mutex);
        clear_slot(s);
    }
}

int Reader::init(int max_channels) {
    if (max_channels < 1 || max_channels > kMaxRecChannels) {
        VEKFS_ERR("invalid rec channel! init vekfs failed!");
        return VEKFS_ERR_FAIL;
    }
    free_all();
    maxChannels_ = max_channels;
    if (profile_.announcesMaxChannels)
        VEKFS_INFO("vekfs max rec channel is %d", max_channels);
    char banner[128];
    std::snprintf(banner, sizeof banner, "\n========vekfs version:%d.%d release date:2013-11-18========\n\n",
                  profile_.bannerMajor, profile_.bannerMinor);
    DiagWrite(banner);
    return VEKFS_OK;
}

int Reader::exit(int) {
    return VEKFS_OK;
}

int Reader::get_disk_status(int disk_number, disk_status_t* out, int* result) {
    if (disk_number < 0 || disk_number >= kMaxDisks) {
        VEKFS_ERR("invalid id");
        return VEKFS_ERR_FAIL;
    }
    if (out == nullptr || result == nullptr)
        return VEKFS_ERR_NULL_PARAM;
    std::lock_guard<std::mutex> guard(lock_);
    const disk_info_t* disk = disks_[static_cast<size_t>(disk_number)].get();
    if (disk == nullptr)
        return VEKFS_ERR_FAIL;
    out->capacity = disk->param.capacity;
    uint32_t free_mb = 0;
    for (int p = 0; p < disk->param.part_count; p++) {
        const part_info& part = disk->parts[static_cast<size_t>(p)];
        if (part.state == 0)
            free_mb += static_cast<uint32_t>(part.free_count) * 256;
    }
    out->free_mb = free_mb;
    out->state = disk->param.disk_state;
    *result = 0;
    return VEKFS_OK;
}

int Reader::channel_open(int channel) {
    if (channel < 0 || channel >= maxChannels_) {
        VEKFS_ERR("%d invalid chn number", channel);
        return VEKFS_ERR_CHANNEL;
    }
    std::lock_guard<std::mutex> guard(lock_);
    channel_entry& c = channels_[static_cast<size_t>(channel)];
    if (c.state != 0) {
        VEKFS_ERR("vekfs open chn%d state=%d failed", channel, c.state);
        return VEKFS_ERR_FAIL;
    }
    if (profile_.format.version == 2) {
        c.buffer.reset(new (std::nothrow) uint8_t[kChannelBufferSize]());
        if (!c.buffer)
            return VEKFS_ERR_FAIL;
    }
    c.state = 1;
    c.number = static_cast<uint8_t>(channel);
    return channel;
}

int Reader::channel_close(int channel) {
    if (channel < 0 || channel >= kMaxRecChannels) {
        VEKFS_ERR("invalid vekfs fd");
        return VEKFS_ERR_BAD_HANDLE;
    }
    if (channel >= maxChannels_)
        return VEKFS_OK;
    std::lock_guard<std::mutex> guard(lock_);
    channel_entry& c = channels_[static_cast<size_t>(channel)];
    if (c.state == 0) {
        VEKFS_ERR("chn%d there is not record", channel);
        return VEKFS_ERR_FAIL;
    }
    c.device.reset();
    c.buffer.reset();
    c.state = 0;
    return VEKFS_OK;
}

int Reader::find_start(search_param* param, void* out) {
    if (param == nullptr ||
        (out == nullptr && (param->search_type == kSearchHalfHour || param->search_type == kSearchOneList))) {
        VEKFS_ERR("param which input is err");
        return VEKFS_ERR_NULL_PARAM;
    }
    if (param->search_type > kSearchPerChannel) {
        VEKFS_ERR("find type err");
        return VEKFS_ERR_SEARCH_TYPE;
    }
    search_param p = *param;
    if (maxChannels_ < 31)
        p.channel_mask &= (1u << maxChannels_) - 1;
    if (dumps_on())
        dump_search_param(p);

    if (p.search_type == kSearchMonth) {
        const int rc = search_month(p, static_cast<uint32_t*>(out));
        return rc < 0 ? rc : kNoSearchHandle;
    }
    if (p.search_type == kSearchHalfHour) {
        const int rc = search_halfhour(p, static_cast<uint32_t*>(out));
        return rc < 0 ? rc : kNoSearchHandle;
    }

    int handle = -1;
    {
        std::lock_guard<std::mutex> guard(lock_);
        for (int h = 0; h < kMaxSearchHandles; h++) {
            if (!handles_[static_cast<size_t>(h)].in_use) {
                handle = h;
                handles_[static_cast<size_t>(h)].in_use = true;
                break;
            }
        }
    }
    if (handle < 0) {
        VEKFS_ERR("have no g_output");
        return VEKFS_ERR_NO_SEARCH_SLOT;
    }
    const int rc = search_events(p, handle);
    std::lock_guard<std::mutex> guard(lock_);
    search_handle& h = handles_[static_cast<size_t>(handle)];
    if (rc < 0) {
        VEKFS_ERR("err");
        clear_handle(h);
        return rc;
    }
    if (p.search_type == kSearchOneList) {
        auto* list = static_cast<event_list*>(out);
        list->events = h.lists[0].count > 0 ? h.lists[0].events.data() : nullptr;
        list->count = h.lists[0].count;
    }
    return handle;
}

int Reader::find_stop(int handle) {
    if (handle < 0 || handle >= kMaxSearchHandles)
        return VEKFS_OK;
    std::lock_guard<std::mutex> guard(lock_);
    search_handle& h = handles_[static_cast<size_t>(handle)];
    if (h.in_use)
        clear_handle(h);
    return VEKFS_OK;
}

int Reader::get_event(int handle, int list_channel, event_list* out) {
    if (handle < 0 || handle >= kMaxSearchHandles)
        return VEKFS_ERR_BAD_HANDLE;
    if (list_channel < 0 || list_channel >= maxChannels_)
        return VEKFS_ERR_CHANNEL;
    if (out == nullptr)
        return VEKFS_ERR_NULL_PARAM;
    std::lock_guard<std::mutex> guard(lock_);
    search_handle& h = handles_[static_cast<size_t>(handle)];
    if (!h.in_use) {
        VEKFS_ERR("%d handle isn't exist", handle);
        return VEKFS_ERR_NO_SEARCH;
    }
    event_list_store& list = h.lists[static_cast<size_t>(list_channel)];
    out->events = list.count > 0 ? list.events.data() : nullptr;
    out->count = list.count;
    return VEKFS_OK;
}

int Reader::read_start(int channel) {
    for (int i = 0; i < kMaxReaderSlots; i++) {
        reader_slot& s = slots_[static_cast<size_t>(i)];
        std::lock_guard<std::mutex> slotGuard(s.mutex);
        if (s.in_use)
            continue;
        clear_slot(s);
        s.in_use = true;
        s.channel = channel;
        return i;
    }
    VEKFS_ERR("have no free reader");
    return VEKFS_ERR_NO_READER;
}

int Reader::read_stop(int slot) {
    if (slot < 0 || slot >= kMaxReaderSlots) {
        VEKFS_ERR("invalid param");
        return VEKFS_ERR_BAD_HANDLE;
    }
    reader_slot& s = slots_[static_cast<size_t>(slot)];
    std::lock_guard<std::mutex> slotGuard(s.mutex);
    if (s.in_use)
        clear_slot(s);
    return VEKFS_OK;
}

int Reader::tseek(int slot, vekfs_time* time, int direction, int, event_desc* event) {
    if (slot < 0 || slot >= kMaxReaderSlots) {
        VEKFS_ERR("fs find start invalid fd!");
        return VEKFS_ERR_BAD_HANDLE;
    }
    if (time == nullptr || event == nullptr) {
        VEKFS_ERR("para err!");
        return VEKFS_ERR_NULL_PARAM;
    }
    reader_slot& s = slots_[static_cast<size_t>(slot)];
    std::lock_guard<std::mutex> slotGuard(s.mutex);
    if (!s.in_use) {
        VEKFS_ERR("fs find start invalid fd!");
        return VEKFS_ERR_BAD_HANDLE;
    }
    return time_seek(s, *time, direction, *event);
}

int Reader::read(int slot, void* buffer, int length, int* first_offset) {
    if (slot < 0 || slot >= kMaxReaderSlots) {
        VEKFS_ERR("fs read start invalid fd!fd:%d", slot);
        return VEKFS_ERR_BAD_HANDLE;
    }
    if (buffer == nullptr || first_offset == nullptr) {
        VEKFS_ERR("buf err!");
        return VEKFS_ERR_NULL_PARAM;
    }
    reader_slot& s = slots_[static_cast<size_t>(slot)];
    std::lock_guard<std::mutex> slotGuard(s.mutex);
    if (!s.in_use) {
        VEKFS_ERR("fs read start invalid fd!fd:%d", slot);
        return VEKFS_ERR_BAD_HANDLE;
    }
    const int rc = read_data(s, buffer, length, first_offset);
    if (rc < 0) {
        VEKFS_ERR("read data err!");
    } else if (rc > 0 && dumps_on()) {
        // The count runs from the start of the buffer, the first header sits at *first_offset.
        dump_frame_headers(static_cast<const uint8_t*>(buffer), static_cast<size_t>(*first_offset),
                           static_cast<size_t>(rc));
    }
    return rc;
}

// The three key-frame calls: step forward (positive), backward (negative) or
// stay (0). A step of 0 or less is refused for next and previous by the caller.
int Reader::kframe_call(int slot, void* buffer, int length, int* first_offset, int step) {
    if (slot < 0 || slot >= kMaxReaderSlots) {
        VEKFS_ERR("fs read start invalid fd!");
        return VEKFS_ERR_BAD_HANDLE;
    }
    reader_slot& s = slots_[static_cast<size_t>(slot)];
    std::lock_guard<std::mutex> slotGuard(s.mutex);
    const int rc = s.in_use ? step_kframe(s, buffer, length, first_offset, step) : VEKFS_ERR_BAD_HANDLE;
    if (rc < 0)
        VEKFS_ERR("find end!");
    return rc;
}

int Reader::get_next_kframe(int slot, void* buffer, int length, int* first_offset, int step) {
    if (step <= 0) {
        VEKFS_ERR("fs read start invalid fd!");
        return VEKFS_ERR_BAD_HANDLE;
    }
    return kframe_call(slot, buffer, length, first_offset, step);
}

int Reader::get_prev_kframe(int slot, void* buffer, int length, int* first_offset, int step) {
    if (step <= 0) {
        VEKFS_ERR("fs read start invalid fd!");
        return VEKFS_ERR_BAD_HANDLE;
    }
    return kframe_call(slot, buffer, length, first_offset, -step);
}

int Reader::get_current_kframe(int slot, void* buffer, int length, int* first_offset) {
    return kframe_call(slot, buffer, length, first_offset, 0);
}

std::vector<disk_info_t> Reader::snapshot_disks() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<disk_info_t> out;
    for (const auto& d : disks_)
        if (d)
            out.push_back(*d);
    return out;
}

bool Reader::disk_info(int disk_number, disk_info_t* out) const {
    if (disk_number < 0 || disk_number >= kMaxDisks || out == nullptr)
        return false;
    std::lock_guard<std::mutex> guard(lock_);
    const auto& d = disks_[static_cast<size_t>(disk_number)];
    if (!d)
        return false;
    *out = *d;
    return true;
}

}  // namespace vekfs
