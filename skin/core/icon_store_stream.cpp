// skin/core/icon_store_stream.cpp
#include "skin/core/icon_store_stream.h"

#include <algorithm>

#include "skin/core/image_dib.h"

namespace plym {

namespace {

constexpr size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr int32_t kMaxSide = 32767;

uint32_t U32(const uint8_t* p) {
    return p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void PutU32(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The size of the section the record's header describes; 0 when no section
// can be made from it.
uint64_t CheckedSectionBytes(const std::vector<uint8_t>& header) {
    if (header.size() < kInfoHeaderSize || U32(header.data()) != kInfoHeaderSize)
        return 0;
    const int32_t width = static_cast<int32_t>(U32(&header[4]));
    const int32_t height = static_cast<int32_t>(U32(&header[8]));
    const uint16_t planes = U16(&header[12]);
    const uint16_t bitCount = U16(&header[14]);
    const uint32_t compression = U32(&header[16]);
    const uint32_t colorsUsed = U32(&header[32]);
    if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide ||
        planes != 1)
        return 0;
    if (!IsPlainDibFormat(bitCount, compression))
        return 0;
    const uint32_t entries = DibRecordColorEntries(bitCount);
    if (header.size() < kInfoHeaderSize + size_t{entries} * 4)
        return 0;
    // The colours a section reads from the table must be in it.
    const uint32_t mostColors = bitCount <= 8 ? std::min(entries, 1u << bitCount) : entries;
    if (colorsUsed > mostColors)
        return 0;
    const uint64_t bytes = DibSectionBytes(width, height, bitCount);
    return bytes <= kMaxIconSection ? bytes : 0;
}

}  // namespace

int IconRecordImages(int32_t version, int (&images)[5]) {
    int n = 0;
    images[n++] = 0;
    images[n++] = 6;
    images[n++] = 3;
    if (version > 7)
        images[n++] = 4;
    if (version > 16)
        images[n++] = 5;
    return n;
}

uint32_t DibRecordColorEntries(uint16_t bitCount) {
    return bitCount == 4 ? 16 : bitCount == 8 ? 256 : 3;
}

uint64_t DibSectionBytes(int32_t width, int32_t height, uint16_t bitCount) {
    const uint64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    const uint64_t stride = (static_cast<uint64_t>(width < 0 ? 0 : width) * bitCount + 31) / 32 * 4;
    return stride * rows;
}

void WriteDibRecord(CArchive& ar, const DibRecord& record) {
    if (record.IsEmpty()) {
        ar.WriteCount(0);
        return;
    }
    ar.WriteCount(static_cast<uint32_t>(record.header.size()));
    ar.Write(record.header.data(), record.header.size());
    ar.WriteCount(static_cast<uint32_t>(record.bits.size()));
    ar.Write(record.bits.data(), record.bits.size());
}

bool ReadDibRecord(CArchive& ar, DibRecord& record) {
    record = DibRecord{};
    const uint32_t headerBytes = ar.ReadCount();
    if (headerBytes == 0)
        return false;
    ar.CheckRemaining(headerBytes);
    std::vector<uint8_t> header(headerBytes);
    ar.ReadExact(header.data(), header.size());
    const uint32_t pixelBytes = ar.ReadCount();
    ar.CheckRemaining(pixelBytes);
    const uint64_t section = CheckedSectionBytes(header);
    uint32_t sizeImage = section > 0 ? U32(&header[20]) : 0;
    if (section > 0 && sizeImage == 0)
        sizeImage = static_cast<uint32_t>(std::min<uint64_t>(pixelBytes, section));
    if (section == 0 || pixelBytes == 0 || sizeImage > section) {
        ar.Skip(pixelBytes);
        return false;
    }
    PutU32(&header[20], sizeImage);
    record.header = std::move(header);
    record.bits.resize(std::min(pixelBytes, sizeImage));
    ar.ReadExact(record.bits.data(), record.bits.size());
    ar.Skip(pixelBytes - record.bits.size());
    return true;
}

void SerializeIconRecord(CArchive& ar, int32_t& height, IconImageCodec& images) {
    int32_t version = kIconRecordVersion;
    if (ar.IsStoring())
        ar << height << version;
    else
        ar >> height >> version;
    int indexes[5];
    const int count = IconRecordImages(version, indexes);
    for (int i = 0; i < count; ++i) {
        DibRecord first;
        DibRecord second;
        if (ar.IsStoring()) {
            images.SaveImage(indexes[i], first, second);
            WriteDibRecord(ar, first);
            WriteDibRecord(ar, second);
        } else {
            const bool hasFirst = ReadDibRecord(ar, first);
            const bool hasSecond = ReadDibRecord(ar, second);
            images.RestoreImage(indexes[i], hasFirst ? &first : nullptr, hasSecond ? &second : nullptr,
                                version);
        }
    }
}

void ExchangeIconSets(CPlymPropExchange& px, IconStoreModel& store) {
    std::unique_ptr<CPlymPropExchangeEnumerator> sets = px.GetEnumerator("IconSet");
    if (px.IsStoring()) {
        const std::vector<uint32_t> ids = store.GetSetIds();
        sets->Start(static_cast<uint32_t>(ids.size()), true);
        for (uint32_t id : ids) {
            std::unique_ptr<CPlymPropExchange> section = sets->GetNext();
            int32_t stored = static_cast<int32_t>(id);
            PX_Long(section.get(), "Id", stored, 0);
            ExchangeIconSet(id, *section, store);
        }
        return;
    }
    store.RemoveAll();
    sets->Start(0, true);
    while (sets->HasNext()) {
        std::unique_ptr<CPlymPropExchange> section = sets->GetNext();
        int32_t id = 0;
        PX_Long(section.get(), "Id", id, 0);
        ExchangeIconSet(static_cast<uint32_t>(id), *section, store);
    }
}

void ExchangeIconSet(uint32_t id, CPlymPropExchange& section, IconStoreModel& store) {
    store.NoteCommandId(id);
    CString check = kIconSetCheckSum;
    PX_String(&section, "CheckSum", check, kIconSetCheckSum);
    if (section.IsLoading() && check != kIconSetCheckSum)
        throw CArchiveException(CArchiveException::badClass);

    std::unique_ptr<CPlymPropExchangeEnumerator> icons = section.GetEnumerator("Icon");
    if (section.IsStoring()) {
        const std::vector<uint32_t> widths = store.GetIconWidths(id);
        icons->Start(static_cast<uint32_t>(widths.size()), true);
        for (uint32_t width : widths) {
            std::unique_ptr<CPlymPropExchange> item = icons->GetNext();
            int32_t stored = static_cast<int32_t>(width);
            PX_Long(item.get(), "Width", stored, static_cast<int32_t>(kLoadedIconWidth));
            item->ExchangeSerializable("Data", store.FindIcon(id, width));
        }
        return;
    }
    store.BeginSet(id);
    icons->Start(0, true);
    while (icons->HasNext()) {
        std::unique_ptr<CPlymPropExchange> item = icons->GetNext();
        int32_t width = static_cast<int32_t>(kLoadedIconWidth);
        PX_Long(item.get(), "Width", width, static_cast<int32_t>(kLoadedIconWidth));
        store.RestoreIcon(id, static_cast<uint32_t>(width),
                          [&](CPlymSerializable& icon) { item->ExchangeSerializable("Data", &icon); });
    }
}

}  // namespace plym
