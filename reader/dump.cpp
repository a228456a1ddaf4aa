// reader/dump.cpp
#include "reader/dump.h"

#include <cstdio>

#include "media/frame_header.h"
#include "reader/diag.h"

namespace vekfs {

namespace {

struct TimeText {
    char text[32];
    explicit TimeText(packed_time v) {
        const vekfs_time t = unpack_time(v);
        std::snprintf(text, sizeof text, "%d/%d/%d %d:%d:%d", t.year + 2000, t.month, t.day, t.hour, t.minute,
                      t.second);
    }
};

}  // namespace

void dump_search_param(const search_param& p) {
    VEKFS_INFO(
        "data_type:%d, search_type:%d, record_type:%#x, exact falg:%d, chn:%#x, "
        "time:(%d/%d/%d %d:%d:%d)-(%d/%d/%d %d:%d:%d)",
        p.data_type, p.search_type, p.type_mask, p.exact, p.channel_mask, p.start.year + 2000, p.start.month,
        p.start.day, p.start.hour, p.start.minute, p.start.second, p.end.year + 2000, p.end.month, p.end.day,
        p.end.hour, p.end.minute, p.end.second);
}

void dump_file_info(const file_info& e) {
    VEKFS_INFO(
        "file%d: state=%d chn=%d type=%d events=%d time=(%s)-(%s) eseq=%u data_end=%u index_end=%u "
        "switch=%u",
        e.number, e.state, e.channel, e.data_type, e.event_count, TimeText(e.start).text,
        TimeText(e.end).text, e.end_sequence, e.data_end, e.index_end, e.switch_word);
}

void dump_event(const pevent_info& e) {
    VEKFS_INFO("pevent%d: magic=%#x type=%#x time=(%s)-(%s) data=%u+%u index=%u..%u skip=%d", e.number,
               e.magic, e.type_bits, TimeText(e.start).text, TimeText(e.end).text, e.data_start,
               e.data_length, e.index_end, e.index_start, e.skip);
}

void dump_event_desc(const event_desc& d) {
    VEKFS_INFO(
        "desc%u: handle=%d list=%d chn=%d loc=%#x k=%d type=%#x (%d-%d-%d %d:%d:%d)-(%d:%d:%d) data=%u+%u",
        d.list_pos, d.handle, d.list_channel, d.channel, d.location, d.event_index, d.type_bits,
        d.start.year + 2000, d.start.month, d.start.day, d.start.hour, d.start.minute, d.start.second,
        d.end.hour, d.end.minute, d.end.second, d.data_start, d.data_length);
}

void dump_frame_headers(const uint8_t* data, size_t from, size_t to) {
    size_t at = from;
    while (at + media::kFrameHeaderSize <= to) {
        const media::frame_header h = media::decode_frame_header(data + at);
        if (h.magic != media::kMagicFrame) {
            VEKFS_INFO("no frame header at %llu", static_cast<unsigned long long>(at));
            return;
        }
        VEKFS_INFO("frame at %llu: type=%d chn=%d size=%u time=%llu", static_cast<unsigned long long>(at),
                   media::frame_type_number(h.type), h.channel, h.size,
                   static_cast<unsigned long long>(h.time_us));
        const uint64_t space = media::frame_space(h.size, h.ext_units);
        if (space > to - at)
            return;
        at += static_cast<size_t>(space);
    }
}

}  // namespace vekfs
