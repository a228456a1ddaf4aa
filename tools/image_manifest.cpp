// tools/image_manifest.cpp
#include "tools/image_manifest.h"

#include <cinttypes>
#include <cstdio>
#include <ostream>

namespace vektools {

const FileFact* Manifest::FindFile(int partition, int position) const {
    for (const FileFact& f : files)
        if (f.partition == partition && f.position == position)
            return &f;
    return nullptr;
}

const EventFact* Manifest::FindEvent(int partition, int position, int slot) const {
    for (const EventFact& e : events)
        if (e.partition == partition && e.filePosition == position && e.slot == slot)
            return &e;
    return nullptr;
}

const Mark* Manifest::FindMark(const std::string& name) const {
    for (const Mark& m : marks)
        if (m.name == name)
            return &m;
    return nullptr;
}

std::vector<const EventFact*> Manifest::EventsOf(int partition, int position) const {
    std::vector<const EventFact*> out;
    for (const EventFact& e : events)
        if (e.partition == partition && e.filePosition == position)
            out.push_back(&e);
    return out;
}

std::string FormatPacked(vekfs::packed_time t) {
    if (t == 0)
        return "0";
    const vekfs::vekfs_time v = vekfs::unpack_time(t);
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", 2000u + v.year,
                  static_cast<unsigned>(v.month), static_cast<unsigned>(v.day), static_cast<unsigned>(v.hour),
                  static_cast<unsigned>(v.minute), static_cast<unsigned>(v.second));
    return text;
}

namespace {

const char* DamageName(CopyDamage d) {
    switch (d) {
        case CopyDamage::None:
            return "none";
        case CopyDamage::PartMagic:
            return "part_magic";
        case CopyDamage::PartGarbage:
            return "part_garbage";
        case CopyDamage::Absent:
            return "absent";
        case CopyDamage::StaleReserved:
            return "stale_reserved";
    }
    return "?";
}

std::string Magic(uint32_t m) {
    if (m == 0)
        return "0";
    std::string s;
    for (int i = 0; i < 4; i++) {
        const char c = static_cast<char>(m >> (8 * i));
        s += (c >= 0x21 && c < 0x7f) ? c : '?';
    }
    return s;
}

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s)
        out += (c == '"' || c == '\n') ? '\'' : c;
    return out + "\"";
}

}  // namespace

void WriteManifestText(std::ostream& out, const Manifest& m, bool withFrames) {
    char line[512];
    out << "# vekfs-mkimg manifest: one fact per line, a kind word then key=value fields\n";
    std::snprintf(line, sizeof line,
                  "image scenario=%s variant=%s version=%d device_size=%" PRIu64
                  " channels=%u file_table_offset=%u event_area_offset=%u copy_size=%u part_count=%u\n",
                  m.scenario.c_str(), m.variant.empty() ? "-" : m.variant.c_str(), m.version, m.deviceSize,
                  m.param.channels, m.param.file_table_offset, m.param.event_area_offset, m.copySize,
                  static_cast<unsigned>(m.param.part_count));
    out << line;
    for (const PartitionFact& p : m.partitions) {
        const vekfs::part_info& r = p.record;
        std::snprintf(line, sizeof line,
                      "partition p=%d start=%" PRIu64
                      " files=%u free=%u state=%u repair=%u valid=0x%x type0_start=%s type0_end=%s "
                      "type1_start=%s type1_end=%s\n",
                      p.index, p.start, static_cast<unsigned>(r.file_count),
                      static_cast<unsigned>(r.free_count), static_cast<unsigned>(r.state),
                      static_cast<unsigned>(r.repair_flag), static_cast<unsigned>(p.validBits),
                      FormatPacked(r.type0_start).c_str(), FormatPacked(r.type0_end).c_str(),
                      FormatPacked(r.type1_start).c_str(), FormatPacked(r.type1_end).c_str());
        out << line;
        for (int k = 0; k < vekfs::kIndexCopies; k++) {
            std::snprintf(line, sizeof line, "copy p=%d k=%d offset=%" PRIu64 " damage=%s\n", p.index, k,
                          p.copyOffset[k], DamageName(p.copyDamage[k]));
            out << line;
        }
    }
    for (const FileFact& f : m.files) {
        const vekfs::file_info& e = f.entry;
        std::string bitmap;
        const int words = m.version == 1 ? vekfs::kFormatV1.dayBitmapWords : vekfs::kFormatV2.dayBitmapWords;
        for (int k = 0; k < words; k++) {
            char w[16];
            std::snprintf(w, sizeof w, "%s0x%x", k ? "," : "", e.day_bitmap[k]);
            bitmap += w;
        }
        std::snprintf(
            line, sizeof line,
            "file p=%d pos=%d number=%u base=%" PRIu64
            " channel=%u data_type=%u state=%u end_sequence=%u events=%u start=%s end=%s data_end=%u "
            "index_end=%u iend=%" PRId64 " bitmap=%s\n",
            f.partition, f.position, static_cast<unsigned>(e.number), f.base,
            static_cast<unsigned>(e.channel), static_cast<unsigned>(e.data_type),
            static_cast<unsigned>(e.state), e.end_sequence, static_cast<unsigned>(e.event_count),
            FormatPacked(e.start).c_str(), FormatPacked(e.end).c_str(), e.data_end, e.index_end, f.iendAt,
            bitmap.c_str());
        out << line;
    }
    for (const EventFact& e : m.events) {
        std::snprintf(
            line, sizeof line,
            "event p=%d pos=%d slot=%d number=%u channel=%u magic=%s start=%s end=%s type_bits=0x%x "
            "skip=%u attr22=%u attr23=%u data_start=%u data_length=%u index_start=%u index_end=%u "
            "true_end=%s true_data_length=%u true_index_end=%u kframes=%zu frames=%zu index_only=%d\n",
            e.partition, e.filePosition, e.slot, static_cast<unsigned>(e.number),
            static_cast<unsigned>(e.channel), Magic(e.magic).c_str(), FormatPacked(e.start).c_str(),
            FormatPacked(e.end).c_str(), e.typeBits, static_cast<unsigned>(e.skip),
            static_cast<unsigned>(e.attr22), static_cast<unsigned>(e.attr23), e.dataStart, e.dataLength,
            e.indexStart, e.indexEnd, FormatPacked(e.trueEnd).c_str(), e.trueDataLength, e.trueIndexEnd,
            e.kframes.size(), e.frames.size(), e.indexOnly ? 1 : 0);
        out << line;
        for (const KframeFact& k : e.kframes) {
            std::snprintf(line, sizeof line,
                          "kframe p=%d pos=%d slot=%d at=%u offset=%u length=%u time=%s time_us=%" PRIu64
                          "\n",
                          e.partition, e.filePosition, e.slot, k.entryAt, k.frameOffset, k.length,
                          FormatPacked(k.time).c_str(), k.timeUs);
            out << line;
        }
        if (!withFrames)
            continue;
        for (const FrameRecord& fr : e.frames) {
            std::snprintf(line, sizeof line,
                          "frame p=%d pos=%d slot=%d n=%u offset=%" PRIu64 " type=%c size=%u time_us=%" PRIu64
                          " space=%" PRIu64 "\n",
                          e.partition, e.filePosition, e.slot, fr.number, fr.offset, fr.type, fr.size,
                          fr.timeUs, fr.space);
            out << line;
        }
    }
    for (const Mark& k : m.marks) {
        std::snprintf(line, sizeof line, "mark name=%s p=%d pos=%d slot=%d note=%s\n", k.name.c_str(),
                      k.partition, k.filePosition, k.slot, Quote(k.note).c_str());
        out << line;
    }
    for (const std::string& t : m.expectedProblems)
        out << "expect tag=" << t << "\n";
}

}  // namespace vektools
