// tests/skin/skin_file_text_test.cpp
//
// The INI text of a skin module, read from UTF-16 resource bytes that have
// no terminating NUL: every line comes back, whatever the line ends, and no
// scan reads past the bytes (the tests hand over exact-size heap copies, so
// the address sanitizer sees any byte read beyond them).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/core/skin_file_text.h"
#include "tests/skin/utf16_bytes.h"

namespace {

using skintest::Utf16Bytes;

std::vector<std::u16string> AllLines(const std::vector<uint8_t>& bytes) {
    const std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)]);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    plym::Utf16Lines reader(exact.get(), bytes.size());
    std::vector<std::u16string> lines;
    std::u16string line;
    while (reader.Next(line))
        lines.push_back(line);
    return lines;
}

TEST(SkinFileTextTest, ModuleIniReturnsEveryLineWhateverTheLineEnds) {
    using Lines = std::vector<std::u16string>;
    struct Case {
        std::u16string text;
        Lines lines;
    };
    const std::vector<Case> cases = {
        {u"[Globals]\r\nA=1\r\n", {u"[Globals]", u"A=1"}},
        {u"[Globals]\r\nA=1", {u"[Globals]", u"A=1"}},  // last line without a line end
        {u"[Globals]\nA=1\n", {u"[Globals]", u"A=1"}},  // LF only
        {u"a\rb\r\n\r\nc", {u"a", u"b", u"", u"c"}},
        {u"\xFEFF[Globals]\r\nA=1\r\n", {u"[Globals]", u"A=1"}},  // byte-order mark
        {u"\xFEFF", {}},
        {u"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AllLines(Utf16Bytes(c.text)), c.lines);
    }
    // An odd last byte is not half a character.
    std::vector<uint8_t> odd = Utf16Bytes(u"x");
    odd.push_back('y');
    EXPECT_EQ(AllLines(odd), (Lines{u"x"}));
}

TEST(SkinFileTextTest, DefaultIniNameScanStaysInsideTheResource) {
    struct Case {
        std::u16string text;
        std::string name;
    };
    const std::vector<Case> cases = {
        {u"[File.NormalBlack]\r\nx", "NormalBlack_ini"},
        {u"\xFEFF;themes\r\n[File.Vista.Dark]", "Vista.Dark_ini"},
        {u"[File.NormalBlack", ""},  // no ']' before the end
        {u"[File.", ""},
        {u"[Fil", ""},
        {u"", ""},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = Utf16Bytes(c.text);
        const std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() + 1]);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        EXPECT_EQ(plym::DefaultIniName(exact.get(), bytes.size()), c.name);
    }

    EXPECT_EQ(plym::ResourceNameOf("NormalBlack.ini"), "NormalBlack_ini");
    EXPECT_EQ(plym::ResourceNameOf("Images\\Caption.v2.png"), "Images_Caption_v2_png");
}

}  // namespace
