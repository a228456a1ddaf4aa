// tools/h264_split.cpp
#include "tools/h264_split.h"

#include <cstdio>
#include <memory>

namespace vektools {

namespace {

// Start of each NAL unit: the offset of its start code (a leading zero byte of a
// four-byte start code included) and of its header byte.
struct NalPos {
    size_t codeAt;
    size_t headerAt;
};

std::vector<NalPos> FindNalUnits(const uint8_t* d, size_t n) {
    std::vector<NalPos> out;
    size_t i = 0;
    while (i + 3 <= n) {
        if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1) {
            size_t code = i;
            if (code > 0 && d[code - 1] == 0)
                code--;
            if (i + 3 < n)
                out.push_back({code, i + 3});
            i += 3;
        } else {
            i++;
        }
    }
    return out;
}

bool IsVcl(int type) {
    return type == 1 || type == 5;
}

// Reads the bits of a NAL unit's payload, dropping emulation prevention bytes.
class BitReader {
  public:
    BitReader(const uint8_t* d, size_t n) {
        rbsp_.reserve(n);
        int zeros = 0;
        for (size_t i = 0; i < n; i++) {
            if (zeros >= 2 && d[i] == 3) {
                zeros = 0;
                continue;
            }
            zeros = d[i] == 0 ? zeros + 1 : 0;
            rbsp_.push_back(d[i]);
        }
    }
    bool Failed() const { return failed_; }
    uint32_t Bit() {
        if (pos_ >= rbsp_.size() * 8) {
            failed_ = true;
            return 0;
        }
        const uint32_t b = (rbsp_[pos_ / 8] >> (7 - pos_ % 8)) & 1u;
        pos_++;
        return b;
    }
    uint32_t Bits(int count) {
        uint32_t v = 0;
        for (int i = 0; i < count; i++)
            v = (v << 1) | Bit();
        return v;
    }
    uint32_t Ue() {
        int leading = 0;
        while (Bit() == 0) {
            if (failed_ || ++leading > 31) {
                failed_ = true;
                return 0;
            }
        }
        if (leading == 0)
            return 0;
        return ((1u << leading) - 1) + Bits(leading);
    }
    int32_t Se() {
        const uint32_t k = Ue();
        const int32_t magnitude = static_cast<int32_t>((k + 1) / 2);
        return (k & 1) ? magnitude : -magnitude;
    }

  private:
    std::vector<uint8_t> rbsp_;
    size_t pos_ = 0;
    bool failed_ = false;
};

void SkipScalingList(BitReader& r, int size) {
    int last = 8;
    int next = 8;
    for (int j = 0; j < size; j++) {
        if (next != 0) {
            const int32_t delta = r.Se();
            next = (last + delta + 256) % 256;
        }
        last = next == 0 ? last : next;
    }
}

// Picture size of a sequence parameter set; `d` starts after the NAL header byte.
bool ParseSps(const uint8_t* d, size_t n, uint16_t* width, uint16_t* height) {
    BitReader r(d, n);
    const uint32_t profile = r.Bits(8);
    r.Bits(8);  // constraint flags
    r.Bits(8);  // level
    r.Ue();     // seq_parameter_set_id
    uint32_t chroma = 1;
    switch (profile) {
        case 100:
        case 110:
        case 122:
        case 244:
        case 44:
        case 83:
        case 86:
        case 118:
        case 128:
        case 138:
        case 139:
        case 134:
        case 135: {
            chroma = r.Ue();
            if (chroma == 3)
                r.Bit();    // separate_colour_plane_flag
            r.Ue();         // bit_depth_luma_minus8
            r.Ue();         // bit_depth_chroma_minus8
            r.Bit();        // qpprime_y_zero_transform_bypass_flag
            if (r.Bit()) {  // seq_scaling_matrix_present_flag
                const int lists = chroma == 3 ? 12 : 8;
                for (int i = 0; i < lists; i++)
                    if (r.Bit())
                        SkipScalingList(r, i < 6 ? 16 : 64);
            }
            break;
        }
        default:
            break;
    }
    r.Ue();  // log2_max_frame_num_minus4
    const uint32_t pocType = r.Ue();
    if (pocType == 0) {
        r.Ue();
    } else if (pocType == 1) {
        r.Bit();
        r.Se();
        r.Se();
        const uint32_t cycle = r.Ue();
        if (cycle > 255)
            return false;
        for (uint32_t i = 0; i < cycle; i++)
            r.Se();
    }
    r.Ue();   // max_num_ref_frames
    r.Bit();  // gaps_in_frame_num_value_allowed_flag
    const uint32_t widthMbs = r.Ue() + 1;
    const uint32_t heightUnits = r.Ue() + 1;
    const uint32_t frameMbsOnly = r.Bit();
    if (!frameMbsOnly)
        r.Bit();  // mb_adaptive_frame_field_flag
    r.Bit();      // direct_8x8_inference_flag
    uint32_t cropLeft = 0, cropRight = 0, cropTop = 0, cropBottom = 0;
    if (r.Bit()) {
        cropLeft = r.Ue();
        cropRight = r.Ue();
        cropTop = r.Ue();
        cropBottom = r.Ue();
    }
    if (r.Failed())
        return false;
    const uint32_t subWidth = (chroma == 1 || chroma == 2) ? 2 : 1;
    const uint32_t subHeight = chroma == 1 ? 2 : 1;
    const uint32_t cropX = chroma == 0 ? 1 : subWidth;
    const uint32_t cropY = (chroma == 0 ? 1 : subHeight) * (2 - frameMbsOnly);
    const uint64_t w = static_cast<uint64_t>(widthMbs) * 16;
    const uint64_t h = static_cast<uint64_t>(heightUnits) * 16 * (2 - frameMbsOnly);
    const uint64_t cx = static_cast<uint64_t>(cropX) * (cropLeft + cropRight);
    const uint64_t cy = static_cast<uint64_t>(cropY) * (cropTop + cropBottom);
    if (cx >= w || cy >= h || w - cx > 0xffff || h - cy > 0xffff)
        return false;
    *width = static_cast<uint16_t>(w - cx);
    *height = static_cast<uint16_t>(h - cy);
    return true;
}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

std::vector<AccessUnit> SplitAccessUnits(const uint8_t* d, size_t n) {
    std::vector<AccessUnit> units;
    const std::vector<NalPos> nals = FindNalUnits(d, n);
    if (nals.empty()) {
        if (n)
            units.push_back({std::vector<uint8_t>(d, d + n), false});
        return units;
    }
    size_t unitStart = 0;
    bool hasPicture = false;
    bool idr = false;
    for (size_t k = 0; k < nals.size(); k++) {
        const size_t h = nals[k].headerAt;
        const int type = d[h] & 0x1f;
        bool starts = false;
        if (hasPicture) {
            if (type == 9 || type == 6 || type == 7 || type == 8 || (type >= 14 && type <= 18))
                starts = true;
            // first_mb_in_slice is the first ue(v) of the slice header: 0 is the single bit '1'.
            if (IsVcl(type) && h + 1 < n && (d[h + 1] & 0x80))
                starts = true;
        }
        if (starts) {
            units.push_back({std::vector<uint8_t>(d + unitStart, d + nals[k].codeAt), idr});
            unitStart = nals[k].codeAt;
            hasPicture = false;
            idr = false;
        }
        if (IsVcl(type))
            hasPicture = true;
        if (type == 5)
            idr = true;
    }
    units.push_back({std::vector<uint8_t>(d + unitStart, d + n), idr});
    return units;
}

bool FindPictureSize(const std::vector<AccessUnit>& units, uint16_t* width, uint16_t* height) {
    for (const AccessUnit& u : units) {
        const std::vector<NalPos> nals = FindNalUnits(u.bytes.data(), u.bytes.size());
        for (size_t k = 0; k < nals.size(); k++) {
            const size_t h = nals[k].headerAt;
            if ((u.bytes[h] & 0x1f) != 7)
                continue;
            const size_t end = k + 1 < nals.size() ? nals[k + 1].codeAt : u.bytes.size();
            return ParseSps(u.bytes.data() + h + 1, end - h - 1, width, height);
        }
    }
    return false;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out, std::string* error) {
    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        if (error)
            *error = "cannot open " + path;
        return false;
    }
    out->clear();
    uint8_t buf[65536];
    size_t got = 0;
    while ((got = std::fread(buf, 1, sizeof buf, f.get())) > 0)
        out->insert(out->end(), buf, buf + got);
    if (std::ferror(f.get())) {
        if (error)
            *error = "cannot read " + path;
        return false;
    }
    return true;
}

}  // namespace vektools
