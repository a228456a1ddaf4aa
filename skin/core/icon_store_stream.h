// skin/core/icon_store_stream.h
//
// The stored form of the image manager's icon store, without the images
// behind it: the walk over icon sets and icons through a property exchange
// (skin/core/prop_exchange.h), the icon record with its version rules, and
// the bitmap records. The Windows image manager (skin/core/image_icons.h)
// supplies the store and turns bitmap records into images and back.
//
// The stream, through an archive exchange (names write nothing, every list
// in the archive's count form):
//
//   number of icon sets               count
//   per set:   command id             32 bits
//              "CPlymImageManagerIcons"  string (any other text: badClass)
//              number of icons        count
//   per icon:  width                  32 bits
//              height, version        32 bits each (version written as 36)
//              images 0, 6, 3         two bitmap records each
//              image 4                when the version is above 7
//              image 5                when the version is above 16
//
// Bitmap record: count H (0: no bitmap, nothing follows); H bytes, the
// 40-byte BITMAPINFOHEADER and its colour table (16 entries at 4 bits per
// pixel, 256 at 8, else 3, 4 bytes each); count N; N bytes of pixel rows.
//
// Loading treats the bytes as hostile. A record is read whole whatever it
// holds, so the stream stays in step, and it is refused (the image stays
// empty) unless its header is one a section can be made from: H at least the
// header and its colour table, biSize 40, width 1 .. 32767 and |height| up to
// 32767 rows, one plane, 1/4/8/16/24/32 bits per pixel, BI_RGB (or
// BI_BITFIELDS at 16 and 32 bits), a colour count the table holds, a section
// of at most 64 MiB, a biSizeImage no larger than the section, and N > 0.
// At most min(N, biSizeImage) bytes are kept; a biSizeImage of 0 becomes
// min(N, the section's size). Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "skin/core/prop_exchange.h"
#include "winlib/archive.h"

namespace plym {

inline constexpr int32_t kIconRecordVersion = 36;
inline constexpr const char* kIconSetCheckSum = "CPlymImageManagerIcons";
inline constexpr uint32_t kFirstHighestCommandId = 68266;
inline constexpr uint32_t kLoadedIconWidth = 16;  // "Width" before it is read
inline constexpr int32_t kLoadedIconHeight = 15;  // a new icon's height
inline constexpr uint64_t kMaxIconSection = 64u << 20;

// The images an icon record holds at `version`, in their stored order;
// returns how many of `images` it filled.
int IconRecordImages(int32_t version, int (&images)[5]);
// A lone alpha bitmap read at `version` holds premultiplied pixels.
inline bool IconPixelsPremultiplied(int32_t version) {
    return version > 24;
}

// One bitmap record: no header means no bitmap.
struct DibRecord {
    std::vector<uint8_t> header;  // BITMAPINFOHEADER and colour table
    std::vector<uint8_t> bits;    // pixel rows
    bool IsEmpty() const { return header.empty(); }
    bool operator==(const DibRecord&) const = default;
};

// Colour-table entries a record carries for `bitCount` bits per pixel.
uint32_t DibRecordColorEntries(uint16_t bitCount);
// Bytes of a section's pixel rows for the header's size and depth.
uint64_t DibSectionBytes(int32_t width, int32_t height, uint16_t bitCount);

// An empty record as a single 0 count.
void WriteDibRecord(CArchive& ar, const DibRecord& record);
// Reads one record whole; false (an empty `record`) when it holds no bitmap
// or one that is refused. Data that ends early throws endOfFile.
bool ReadDibRecord(CArchive& ar, DibRecord& record);

// What an icon record needs from the icon: its images as bitmap records and
// back.
class IconImageCodec {
  public:
    // Image `index` as (alpha bitmap, empty), (colour, mask) or two empties.
    virtual void SaveImage(int index, DibRecord& first, DibRecord& second) = 0;
    // Image `index` from the records read (NULL when empty or refused).
    virtual void RestoreImage(int index,
                              const DibRecord* first,
                              const DibRecord* second,
                              int32_t version) = 0;

    virtual ~IconImageCodec() = default;
};

// The icon record: height, version, the images of that version.
void SerializeIconRecord(CArchive& ar, int32_t& height, IconImageCodec& images);

// The icon store as its stream sees it.
class IconStoreModel {
  public:
    // Storing, in the order written.
    virtual std::vector<uint32_t> GetSetIds() const = 0;
    virtual std::vector<uint32_t> GetIconWidths(uint32_t id) const = 0;
    virtual CPlymSerializable* FindIcon(uint32_t id, uint32_t width) = 0;
    // Loading: empties the store.
    virtual void RemoveAll() = 0;
    // Raises the highest command id to `id` when it is larger.
    virtual void NoteCommandId(uint32_t id) = 0;
    // Empties the set of `id`, or enters a new empty one under it.
    virtual void BeginSet(uint32_t id) = 0;
    // A new icon (height kLoadedIconHeight) of set `id` is filled by `load`
    // and entered under `width`, releasing any icon it replaces; when `load`
    // throws, the new icon is released and the set stays as it was.
    virtual void RestoreIcon(uint32_t id,
                             uint32_t width,
                             const std::function<void(CPlymSerializable&)>& load) = 0;

    virtual ~IconStoreModel() = default;
};

// The whole store through `px` (loading empties it first). A wrong check
// string throws CArchiveException badClass, data that ends early endOfFile;
// the sets read before either stay in the store.
void ExchangeIconSets(CPlymPropExchange& px, IconStoreModel& store);
// One set under `id` through its section.
void ExchangeIconSet(uint32_t id, CPlymPropExchange& section, IconStoreModel& store);

}  // namespace plym
