// tests/winlib/cstring_test.cpp
//
// The program's ANSI string: formatting, and the positions the dialogs pass
// in (out-of-range values are clamped, never undefined).
#include <gtest/gtest.h>

#include <string>

#include "winlib/cstring.h"

namespace {

TEST(CStringTest, FormatReplacesAndAppendFormatAppends) {
    CString s("old");
    s.Format("%s\\%04d-%02d.%s", "D:\\DVR\\Clip", 2023, 7, "avi");
    EXPECT_STREQ(s, "D:\\DVR\\Clip\\2023-07.avi");
    s.AppendFormat(" %d%%", 50);
    EXPECT_STREQ(s, "D:\\DVR\\Clip\\2023-07.avi 50%");
    // Longer than any fixed buffer.
    const std::string big(5000, 'x');
    s.Format("[%s]", big.c_str());
    EXPECT_EQ(s.GetLength(), 5002);
    s.Format(nullptr);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringTest, SubstringsClampTheirArguments) {
    const CString s("Channel1");
    EXPECT_STREQ(s.Left(7), "Channel");
    EXPECT_STREQ(s.Left(99), "Channel1");
    EXPECT_STREQ(s.Left(-1), "");
    EXPECT_STREQ(s.Right(1), "1");
    EXPECT_STREQ(s.Right(99), "Channel1");
    EXPECT_STREQ(s.Mid(4), "nel1");
    EXPECT_STREQ(s.Mid(4, 2), "ne");
    EXPECT_STREQ(s.Mid(20, 2), "");
    EXPECT_STREQ(s.Mid(-3, 2), "Ch");
    EXPECT_EQ(s.GetAt(8), '\0');
    EXPECT_EQ(s[0], 'C');
}

TEST(CStringTest, SearchAndEdit) {
    CString path("C:\\a\\b\\Movarel.exe");
    EXPECT_EQ(path.ReverseFind('\\'), 6);
    EXPECT_EQ(path.Find('\\', 3), 4);
    EXPECT_EQ(path.Find("b\\"), 5);
    EXPECT_EQ(path.Find('z'), -1);
    EXPECT_EQ(path.Find('a', 100), -1);
    EXPECT_EQ(path.FindOneOf(".:"), 1);
    EXPECT_EQ(path.Replace("\\", "/"), 3);
    EXPECT_STREQ(path, "C:/a/b/Movarel.exe");
    EXPECT_EQ(path.Replace("e", "ee"), 3);  // a replacement is not searched again
    EXPECT_STREQ(path, "C:/a/b/Movareel.eexee");
    EXPECT_EQ(path.Remove('/'), 3);
    path.Delete(0, 2);
    path.Insert(0, ">");
    EXPECT_STREQ(path, ">abMovareel.eexee");
}

TEST(CStringTest, TrimCaseAndCompare) {
    CString s("  \t 192.168.1.10 \r\n");
    EXPECT_STREQ(s.Trim(), "192.168.1.10");
    CString blank("   ");
    EXPECT_STREQ(blank.TrimLeft(), "");
    CString mixed("AbC");
    EXPECT_EQ(mixed.CompareNoCase("abc"), 0);
    EXPECT_LT(mixed.CompareNoCase("abd"), 0);
    EXPECT_GT(mixed.Compare("AbB"), 0);
    EXPECT_STREQ(mixed.MakeUpper(), "ABC");
    EXPECT_TRUE(mixed == "ABC");
    EXPECT_TRUE("ABC" == mixed);
    EXPECT_TRUE(mixed != CString("abc"));
}

TEST(CStringTest, TokenizeWalksFieldsAndEndsWithMinusOne) {
    const CString line("192.168.0.5  8000\r\n");
    int pos = 0;
    EXPECT_STREQ(line.Tokenize(" \r\n", pos), "192.168.0.5");
    EXPECT_STREQ(line.Tokenize(" \r\n", pos), "8000");
    EXPECT_STREQ(line.Tokenize(" \r\n", pos), "");
    EXPECT_EQ(pos, -1);
    EXPECT_STREQ(line.Tokenize(" ", pos), "");  // stays at the end
}

TEST(CStringTest, BufferAccessForApiCalls) {
    CString s;
    char* buffer = s.GetBuffer(260);
    std::snprintf(buffer, 261, "%s", "D:\\DVR\\Capture");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 14);
    s.GetBuffer(4);  // smaller than the text: nothing lost
    s.ReleaseBuffer(2);
    EXPECT_STREQ(s, "D:");
    s.ReleaseBuffer(50);  // longer than the buffer: clamped
    EXPECT_STREQ(s, "D:");
    EXPECT_STREQ(CString("abc\0def", 7), "abc");  // stops at the first NUL
}

}  // namespace
