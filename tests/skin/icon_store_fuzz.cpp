// tests/skin/icon_store_fuzz.cpp
//
// libFuzzer target: any bytes as an icon-store archive, loaded into a store
// without GDI behind it. Loading either ends or throws an archive exception;
// every bitmap record it keeps describes a section its pixels fit into, and
// the store it leaves writes out and reads back the same.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/core/icon_store_stream.h"
#include "tests/common/fuzz_input.h"
#include "tests/skin/icon_store_fake.h"

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | static_cast<uint32_t>(b[at + 1]) << 8 | static_cast<uint32_t>(b[at + 2]) << 16 |
           static_cast<uint32_t>(b[at + 3]) << 24;
}

void CheckRecord(const plym::DibRecord& record) {
    if (record.IsEmpty())
        return;
    vektest::FuzzCheck(record.header.size() >= 40 && U32(record.header, 0) == 40);
    const int32_t width = static_cast<int32_t>(U32(record.header, 4));
    const int32_t height = static_cast<int32_t>(U32(record.header, 8));
    const uint16_t bits = static_cast<uint16_t>(record.header[14] | record.header[15] << 8);
    const uint64_t section = plym::DibSectionBytes(width, height, bits);
    vektest::FuzzCheck(section > 0 && section <= plym::kMaxIconSection);
    vektest::FuzzCheck(!record.bits.empty() && record.bits.size() <= section);
    vektest::FuzzCheck(U32(record.header, 20) <= section);
    vektest::FuzzCheck(record.header.size() >= 40 + 4 * size_t{plym::DibRecordColorEntries(bits)});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vektest::FakeIconStore store;
    try {
        vektest::LoadIcons(store, std::vector<uint8_t>(data, data + size));
    } catch (const CArchiveException& e) {
        vektest::FuzzCheck(e.m_cause == CArchiveException::endOfFile ||
                           e.m_cause == CArchiveException::badClass ||
                           e.m_cause == CArchiveException::genericException);
    }
    for (const auto& [id, set] : store.sets) {
        for (const auto& [width, icon] : set) {
            for (const vektest::FakeIconImage& image : icon->images) {
                CheckRecord(image.first);
                CheckRecord(image.second);
            }
        }
    }
    // What was kept writes out and reads back as it is.
    vektest::FakeIconStore back;
    vektest::LoadIcons(back, vektest::StoreIcons(store));
    vektest::FuzzCheck(back == store);
    return 0;
}
