// tools/image_check.h
//
// Self-check of a recorder disk image, decoded with the format codec: is it
// what the recorder would have written? Each finding carries a tag naming the
// place and the kind, so a test can say which findings an image made with
// deliberate damage must show:
//   param.magic  param.version  param.xor  param.fs_type  param.disk_state
//   param.impossible (the check stops there)
//   pP.valid_bits          valid-copy bits of partition P are not 1111
//   pP.copyK.part_magic    copy K's partition record has no "Part"
//   pP.copyK.differs       copy K differs from the first intact copy
//   pP.no_copy  pP.index_size  pP.part_info (free count or time ranges)
//   pP.fJ.magic  pP.fJ.number  pP.fJ.state      file table entry J
//   pP.fJ.entry_copy       the copy at data byte 0 differs from the table entry
//   pP.fJ.entry            a closed file's entry disagrees with its events
//   pP.fJ.iend             no "Iend" below a file's last entry (or not where the
//                          manifest says)
//   pP.fJ.eS.magic  .number  .index  .chain  .data  .stale  .order
//   pP.fJ.eS.kframes       an entry does not point at a matching 'I' frame
//   pP.fJ.eS.frames        the event's data is not a run of "VkFm" frames
//   pP.fJ.eS.no_iend       a writing event's entries never reach "Iend"
//   pP.fJ.eS.manifest      the record differs from the manifest
#pragma once

#include <string>
#include <vector>

#include "tools/image_manifest.h"
#include "tools/image_sink.h"

namespace vektools {

struct Problem {
    std::string tag;
    std::string text;
};

// Checks an image of format `version`. With a manifest, also checks that the
// records and "Iend" entries are where the manifest says. One problem per tag.
std::vector<Problem> CheckImage(const ImageSource& image, int version, const Manifest* manifest = nullptr);

// The check against the manifest's expected problems: an empty result means the
// image shows exactly the intended damage. Otherwise one line per unexpected
// problem ("unexpected TAG: TEXT") and per missing one ("missing TAG").
std::vector<std::string> SelfCheck(const ImageSource& image, const Manifest& manifest);

}  // namespace vektools
