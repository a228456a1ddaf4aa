// tests/gui/pipeline_test.cpp
//
// The resource pipeline end to end: pictures made by the generator at build
// time, compiled into the program and loaded back (pixels per cell, the
// transparency key), and a language module built as a resource-only DLL.
#include <gtest/gtest.h>

#include <string>

#include "tests/gui/pipeline/pipeline_res.h"
#include "winlib/winlib.h"

namespace {

constexpr COLORREF kKey = RGB(0xFF, 0x00, 0xFF);
constexpr COLORREF kFrames[] = {RGB(0xC0, 0x10, 0x20), RGB(0x20, 0xC0, 0x30), RGB(0x30, 0x40, 0xC0),
                                RGB(0xA0, 0xA0, 0x40)};

std::string TestFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\'));
}

TEST(PipelineTest, GeneratedStripHasOneColourPerFrameAndAKeyFrame) {
    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(IDB_STRIP));
    BITMAP info{};
    ASSERT_TRUE(strip.GetBitmap(&info));
    EXPECT_EQ(info.bmWidth, 80);
    EXPECT_EQ(info.bmHeight, 12);
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* old = dc.SelectObject(&strip);
    for (int frame = 0; frame < 4; ++frame) {
        const int left = frame * 20;
        EXPECT_EQ(dc.GetPixel(left + 10, 6), kFrames[frame]) << "frame " << frame;
        EXPECT_EQ(dc.GetPixel(left + 2, 2), kFrames[frame]) << "frame " << frame;
        EXPECT_EQ(dc.GetPixel(left + 1, 6), kKey) << "frame " << frame;
        EXPECT_EQ(dc.GetPixel(left + 19, 11), kKey) << "frame " << frame;
    }
    dc.SelectObject(old);
}

TEST(PipelineTest, GeneratedIconDrawsItsColourWithATransparentEdge) {
    HICON icon = static_cast<HICON>(
        LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_PROBE), IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(icon, nullptr);
    CDC screen;
    screen.Attach(GetDC(nullptr));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(&screen));
    CBitmap canvas;
    ASSERT_TRUE(canvas.CreateCompatibleBitmap(&screen, 32, 32));
    ReleaseDC(nullptr, screen.Detach());
    CBitmap* old = dc.SelectObject(&canvas);
    dc.FillSolidRect(0, 0, 32, 32, RGB(1, 2, 3));
    ASSERT_TRUE(DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(dc.GetPixel(16, 16), RGB(0x10, 0x60, 0xB0));
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(1, 2, 3));  // the frame lets the background through
    dc.SelectObject(old);
    DestroyIcon(icon);
}

TEST(PipelineTest, LanguageModuleIsResourceOnlyAndAnswersItsIds) {
    const std::string path = TestFolder() + "\\pipeline_lang\\LanguagePipe.dll";
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(module, nullptr) << path << ": error " << GetLastError();

    // No code runs on loading: no entry point, nothing imported.
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    EXPECT_EQ(nt->OptionalHeader.AddressOfEntryPoint, 0u);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.Size != 0) {
        const auto* first = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
        EXPECT_EQ(first->Name, 0u) << "imports " << reinterpret_cast<const char*>(base + first->Name);
    }

    char text[128] = {};
    EXPECT_GT(LoadStringA(module, IDS_CAPTION, text, sizeof text), 0);
    EXPECT_STREQ(text, "[T] Corvane Movarel");
    EXPECT_EQ(LoadStringA(module, IDS_ONLY_IN_PROGRAM, text, sizeof text), 0);  // left out

    // The program's own table, through the layer.
    CString own;
    EXPECT_TRUE(own.LoadString(IDS_ONLY_IN_PROGRAM));
    EXPECT_STREQ(own, "Saved");
    EXPECT_FALSE(own.LoadString(9999));
    EXPECT_TRUE(own.IsEmpty());
    FreeLibrary(module);
}

}  // namespace
