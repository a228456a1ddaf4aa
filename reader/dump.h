// reader/dump.h
//
// Diagnostic dumps of the reader's records to the console. They carry no
// decisions and never change state; the reader prints them only at its dump
// level (the version-1 build does, the version-2 build does not).
#pragma once

#include <cstddef>
#include <cstdint>

#include "reader/format.h"

namespace vekfs {

void dump_search_param(const search_param& p);
void dump_file_info(const file_info& e);
void dump_event(const pevent_info& e);
void dump_event_desc(const event_desc& d);
// The frame headers that start in bytes [from, to) of `data`, followed frame by
// frame from `from`.
void dump_frame_headers(const uint8_t* data, size_t from, size_t to);

}  // namespace vekfs
