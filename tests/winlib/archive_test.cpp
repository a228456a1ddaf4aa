// tests/winlib/archive_test.cpp
//
// Archives over memory files: the count and string forms at their
// boundaries, little-endian numbers, and hostile lengths that must end in
// endOfFile before anything is allocated.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "winlib/archive.h"
#include "winlib/mem_file.h"

namespace {

using Bytes = std::vector<uint8_t>;

template <class Write>
Bytes Stored(Write write) {
    CMemFile file(16);
    CArchive ar(&file, CArchive::store);
    write(ar);
    return file.GetBytes();
}

int CauseOf(const Bytes& bytes, void (*read)(CArchive&)) {
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    try {
        read(ar);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return CArchiveException::none;
}

TEST(ArchiveTest, CountAndStringFormsAtTheirBoundaries) {
    const struct {
        uint32_t count;
        Bytes bytes;
    } counts[] = {
        {0, {0x00, 0x00}},
        {0xFFFE, {0xFE, 0xFF}},
        {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {0x12345678, {0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}},
    };
    for (const auto& c : counts) {
        const Bytes bytes = Stored([&](CArchive& ar) { ar.WriteCount(c.count); });
        EXPECT_EQ(bytes, c.bytes) << c.count;
        CMemFile file(bytes.data(), bytes.size());
        CArchive ar(&file, CArchive::load);
        EXPECT_EQ(ar.ReadCount(), c.count);
    }

    const struct {
        size_t length;
        Bytes prefix;
    } strings[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {0x10000, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
    };
    for (const auto& s : strings) {
        const CString text(std::string(s.length, 'x'));
        const Bytes bytes = Stored([&](CArchive& ar) { ar << text; });
        ASSERT_EQ(bytes.size(), s.prefix.size() + s.length) << s.length;
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(s.prefix.size())),
                  s.prefix)
            << s.length;
        CMemFile file(bytes.data(), bytes.size());
        CArchive ar(&file, CArchive::load);
        CString back;
        ar >> back;
        EXPECT_EQ(back, text) << s.length;
        EXPECT_EQ(ar.GetRemaining(), 0u);
    }
}

TEST(ArchiveTest, NumbersAreLittleEndian) {
    const Bytes bytes = Stored([](CArchive& ar) {
        ar << uint8_t{0x01} << int16_t{-2} << uint32_t{0x04030201} << int64_t{-1} << 1.0f << 2.0;
    });
    const Bytes expected = {0x01, 0xFE, 0xFF, 0x01, 0x02, 0x03, 0x04, 0xFF, 0xFF,
                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80,
                            0x3F, 0,    0,    0,    0,    0,    0,    0x00, 0x40};
    EXPECT_EQ(bytes, expected);
}

TEST(ArchiveTest, ShortDataAndHostileLengthsEndInEndOfFile) {
    const struct {
        const char* what;
        Bytes bytes;
        void (*read)(CArchive&);
        int cause;
    } cases[] = {
        {"a 32-bit number from 3 bytes",
         {1, 2, 3},
         [](CArchive& ar) {
             uint32_t v;
             ar >> v;
         },
         CArchiveException::endOfFile},
        {"a string of 4 GB in 10 bytes",
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'},
         [](CArchive& ar) {
             CString s;
             ar >> s;
         },
         CArchiveException::endOfFile},
        {"a count with its 32 bits cut",
         {0xFF, 0xFF, 0x01},
         [](CArchive& ar) { ar.ReadCount(); },
         CArchiveException::endOfFile},
        {"a skip past the end", {1, 2}, [](CArchive& ar) { ar.Skip(3); }, CArchiveException::endOfFile},
        {"a wide string",
         {0xFF, 0xFE, 0xFF, 0x01, 'a', 0},
         [](CArchive& ar) {
             CString s;
             ar >> s;
         },
         CArchiveException::genericException},
        {"storing into a loading archive",
         {},
         [](CArchive& ar) { ar << uint8_t{1}; },
         CArchiveException::readOnly},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CauseOf(c.bytes, c.read), c.cause) << c.what;
}

}  // namespace
