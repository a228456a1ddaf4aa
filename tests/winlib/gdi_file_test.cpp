// tests/winlib/gdi_file_test.cpp
//
// GDI wrappers (ownership of handles, selection with restore, fills, fonts,
// regions, the memory DC of a picture) and CFile, each against what the system reports back.
#include <gtest/gtest.h>

#include <string>

#include "tests/common/temp_dir.h"
#include "winlib/winlib.h"

namespace {

TEST(GdiTest, OwnedHandlesAreDeletedAndSelectionRestores) {
    HGDIOBJ brushHandle = nullptr;
    {
        CBrush brush(RGB(1, 2, 3));
        brushHandle = brush.m_hObject;
        ASSERT_NE(::GetObjectType(brushHandle), 0u);
    }
    EXPECT_EQ(::GetObjectType(brushHandle), 0u);  // deleted with its wrapper

    CBitmap canvas;
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    ASSERT_TRUE(canvas.CreateBitmap(8, 8, 1, 32, nullptr));
    CBitmap* original = dc.SelectObject(&canvas);
    ASSERT_NE(original, nullptr);
    EXPECT_NE(original->m_hObject, canvas.m_hObject);
    dc.FillSolidRect(0, 0, 8, 8, RGB(0x10, 0x20, 0x30));
    dc.Draw3dRect(CRect(0, 0, 8, 8), RGB(0xFF, 0, 0), RGB(0, 0, 0xFF));
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(0xFF, 0, 0));
    EXPECT_EQ(dc.GetPixel(7, 7), RGB(0, 0, 0xFF));
    EXPECT_EQ(dc.GetPixel(4, 4), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(dc.SelectObject(original)->m_hObject, canvas.m_hObject);

    // A borrowed handle is left alone.
    HBRUSH borrowed = ::CreateSolidBrush(RGB(4, 5, 6));
    CBrush* temp = CBrush::FromHandle(borrowed);
    EXPECT_EQ(CBrush::FromHandle(borrowed), temp);
    temp->DeleteObject();
    EXPECT_NE(::GetObjectType(borrowed), 0u);
    ::DeleteObject(borrowed);
    CBrush attached;
    attached.Attach(::CreateSolidBrush(RGB(9, 9, 9)));
    HGDIOBJ detached = attached.Detach();
    EXPECT_NE(::GetObjectType(detached), 0u);
    ::DeleteObject(detached);
}

TEST(GdiTest, FontKeepsWhatWasAskedForAndRegionsCombine) {
    LOGFONTA wanted{};
    wanted.lfHeight = -14;
    wanted.lfWeight = FW_NORMAL;
    wanted.lfCharSet = GB2312_CHARSET;
    wanted.lfQuality = PROOF_QUALITY;
    wanted.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    ::lstrcpyA(wanted.lfFaceName, "\xCB\xCE\xCC\xE5");  // SimSun in code page 936
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&wanted));
    LOGFONTA got{};
    ASSERT_TRUE(font.GetLogFont(&got));
    EXPECT_STREQ(got.lfFaceName, wanted.lfFaceName);
    EXPECT_EQ(got.lfCharSet, GB2312_CHARSET);
    EXPECT_EQ(got.lfHeight, -14);

    CRgn a, b, both;
    ASSERT_TRUE(a.CreateRectRgn(0, 0, 10, 10));
    ASSERT_TRUE(b.CreateRectRgn(20, 0, 30, 10));
    ASSERT_TRUE(both.CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(both.CombineRgn(&a, &b, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(both.PtInRegion(25, 5));
    EXPECT_FALSE(both.PtInRegion(15, 5));
    CRect box;
    both.GetRgnBox(&box);
    EXPECT_EQ(box, CRect(0, 0, 30, 10));
}

TEST(GdiTest, SelectionAndBitmapDCPutBackWhatTheyReplaced) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap picture;
    CBitmap mask;
    ASSERT_TRUE(picture.CreateBitmap(8, 8, 1, 32, nullptr));
    ASSERT_TRUE(mask.CreateBitmap(8, 8, 1, 1, nullptr));
    const HGDIOBJ ownBitmap = ::GetCurrentObject(dc, OBJ_BITMAP);
    const HGDIOBJ ownFont = ::GetCurrentObject(dc, OBJ_FONT);
    {
        CGdiSelection selected(dc, picture);
        EXPECT_EQ(::GetCurrentObject(dc, OBJ_BITMAP), picture.m_hObject);
        CFont none;  // never made: nothing is selected, nothing put back
        CGdiSelection nothing(dc, none);
        EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), ownFont);
    }
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_BITMAP), ownBitmap);

    HDC memory = nullptr;
    {
        CBitmapDC source(dc, picture);
        ASSERT_TRUE(source.IsReady());
        memory = source.m_hDC;
        source.FillSolidRect(0, 0, 8, 8, RGB(0x12, 0x34, 0x56));
        EXPECT_EQ(source.GetPixel(3, 3), RGB(0x12, 0x34, 0x56));
        source.Select(mask);
        EXPECT_EQ(::GetCurrentObject(source, OBJ_BITMAP), mask.m_hObject);
    }
    EXPECT_EQ(::GetObjectType(memory), 0u);  // the DC is gone
    // Both pictures are free again: each can go into another DC.
    CBitmap* before = dc.SelectObject(&picture);
    EXPECT_NE(before, nullptr);
    if (before)
        dc.SelectObject(before);
    CBitmapDC again(nullptr, mask);
    EXPECT_TRUE(again.IsReady());
    EXPECT_FALSE(CBitmapDC(nullptr, nullptr).IsReady());
}

TEST(FileTest, WriteSeekReadAndLength) {
    const vektest::TempDir temp;
    const std::string path = temp.File("winlib_file_test.bin");
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
    EXPECT_TRUE(file.Write("0123456789", 10));
    EXPECT_EQ(file.GetLength(), 10);
    EXPECT_EQ(file.Seek(-4, CFile::end), 6);
    char tail[8] = {};
    EXPECT_EQ(file.Read(tail, 8), 4u);  // only what is there
    EXPECT_STREQ(tail, "6789");
    EXPECT_EQ(file.Read(tail, 8), 0u);  // at the end
    EXPECT_TRUE(file.SetLength(3));
    EXPECT_EQ(file.GetLength(), 3);
    EXPECT_EQ(file.GetPosition(), 3);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Read(tail, 1), 0u);
    EXPECT_FALSE(file.Write("x", 1));

    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
    EXPECT_EQ(file.GetLength(), 3);  // kept
    file.Close();
    EXPECT_TRUE(CFile::Remove(path.c_str()));
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
