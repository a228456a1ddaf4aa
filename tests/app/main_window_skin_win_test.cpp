// The main window made under the program's skin, in process under Wine: the
// start-up's skin calls (options 7, our skin, its INI) open the skin; the
// program's controls take the skin's system colours; every window of the main
// window carries the skin object the class map assigns to its class (none for
// the classes never skinned, the dialog kind on dialogs); once every window is
// destroyed the window map is empty; after a skin that cannot be opened the
// controls take the system's colours again; and the network page's recorder
// tree reads under the skin (its text stands out from its background).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/lumerad_dlg.h"
#include "controls/color_static.h"
#include "skin/core/skin_class_map.h"
#include "skin/core/skin_manager.h"
#include "skin/objects/skin_object_classes.h"
#include "tests/gui/harness/script.h"
#include "tests/gui/harness/test_hooks.h"

namespace {

std::vector<HWND> g_found;

BOOL CALLBACK Collect(HWND window, LPARAM) {
    g_found.push_back(window);
    return TRUE;
}

// The main window and all its descendants.
std::vector<HWND> WindowsOf(HWND top) {
    g_found.assign(1, top);
    EnumChildWindows(top, &Collect, 0);
    return g_found;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

TEST(MainWindowSkin, EveryWindowWearsTheSkinObjectItsClassIsMappedTo) {
    CPlymSkinManager* skin = GetPlymSkinManager();
    skin->SetHookedGroups(kPlymHookMetrics | kPlymHookFrames | kPlymHookColors);
    ASSERT_TRUE(skin->OpenSkin(VEK_VISTA_SKIN_MODULE, "NormalBlack.ini"));
    skin->m_skinNewThreads = FALSE;
    EXPECT_EQ(CColorStatic().GetTextColor(), RGB(210, 210, 210));  // the skin's button text

    const plym::SkinClassMap classes = plym::MakeStandardSkinClassMap();
    vekgui::TestHooks hooks;
    AppConfig config;
    CPubSkin pubSkin;
    CLumeradDlg dialog;
    dialog.SetConfigAndSkin(&config, &pubSkin);
    size_t checked = 0, skinned = 0, dialogs = 0;
    vekgui::Script script({
        vekgui::WaitUntil([&] { return dialog.IsZoomed() != FALSE; }),
        vekgui::Do([&] {
            for (HWND window : WindowsOf(dialog.m_hWnd)) {
                const std::string className = ClassOf(window);
                const plym::SkinObjectChoice choice = plym::ChooseSkinObject(classes, className);
                const CPlymSkinObject* object = skin->FindSkinObject(window);
                ++checked;
                if (choice.kind == plym::SkinObjectChoice::kNever) {
                    EXPECT_EQ(object, nullptr) << className;
                    continue;
                }
                ASSERT_NE(object, nullptr) << className;
                ++skinned;
                const std::string expected = choice.kind == plym::SkinObjectChoice::kEntry
                                                 ? classes.ObjectClass(choice.entry)
                                                 : plym::kApplicationFrameClass;
                EXPECT_EQ(object->GetRuntimeClass()->m_lpszClassName, expected) << className;
                if (choice.dialog) {
                    ++dialogs;
                    const auto* frame = static_cast<const CPlymSkinObjectFrame*>(object);
                    // The pages are control-style children, but of no property sheet.
                    EXPECT_EQ(frame->GetDialogKind(), CPlymSkinObjectFrame::kDialog) << className;
                }
            }
        }),
        vekgui::Do([&] { dialog.EndDialog(IDCANCEL); }),
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(script.Finished());
    EXPECT_GT(checked, 100u);
    EXPECT_GT(skinned, 100u);
    EXPECT_GT(dialogs, 5u);

    // Whatever else this thread made goes too: then no skin object is left.
    std::vector<HWND> left;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&left));
    for (HWND window : left)
        DestroyWindow(window);
    EXPECT_EQ(skin->GetSkinObjectCount(), 0u);

    EXPECT_FALSE(skin->OpenSkin("C:\\nowhere\\Vista.vyrstyles", "NormalBlack.ini"));
    EXPECT_EQ(CColorStatic().GetTextColor(), GetSysColor(COLOR_BTNTEXT));
    EXPECT_NE(GetSysColor(COLOR_BTNTEXT), RGB(210, 210, 210));
}

// Grey level of a colour (0 black .. 255 white).
int Grey(COLORREF colour) {
    return (GetRValue(colour) * 30 + GetGValue(colour) * 59 + GetBValue(colour) * 11) / 100;
}

TEST(MainWindowSkin, TheRecorderTreesTextStandsOutFromItsBackground) {
    CPlymSkinManager* skin = GetPlymSkinManager();
    skin->SetHookedGroups(kPlymHookMetrics | kPlymHookFrames | kPlymHookColors);
    ASSERT_TRUE(skin->OpenSkin(VEK_VISTA_SKIN_MODULE, "NormalBlack.ini"));
    skin->m_skinNewThreads = FALSE;

    vekgui::TestHooks hooks;
    AppConfig config;
    CPubSkin pubSkin;
    CLumeradDlg dialog;
    dialog.SetConfigAndSkin(&config, &pubSkin);
    vekgui::Script script({
        vekgui::WaitUntil([&] { return dialog.IsZoomed() != FALSE; }),
        vekgui::Do([&] {
            const HWND tree = dialog.m_netPage.m_dlgDeviceList.m_tree.m_hWnd;
            ASSERT_NE(tree, nullptr);
            TVINSERTSTRUCTA insert{};
            insert.hParent = TVI_ROOT;
            insert.hInsertAfter = TVI_LAST;
            insert.item.mask = TVIF_TEXT;
            insert.item.pszText = const_cast<char*>("Recorder");
            const auto root = reinterpret_cast<HTREEITEM>(
                SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
            insert.hParent = root;
            insert.item.pszText = const_cast<char*>("Channel1");
            const auto channel = reinterpret_cast<HTREEITEM>(
                SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
            SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
            SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, 0);
            RECT text{};
            std::memcpy(&text, &channel, sizeof channel);  // the item asked about
            ASSERT_TRUE(SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text)));

            // The tree as it paints itself, whichever page is shown.
            RECT client{};
            GetClientRect(tree, &client);
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = client.right;
            info.bmiHeader.biHeight = -client.bottom;
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            void* bits = nullptr;
            const HDC dc = CreateCompatibleDC(nullptr);
            const HBITMAP canvas = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
            ASSERT_NE(canvas, nullptr);
            const HGDIOBJ old = SelectObject(dc, canvas);
            SendMessageA(tree, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
            GdiFlush();
            const COLORREF background = GetPixel(dc, text.left, text.top);
            int contrast = 0;  // of the letters' pixels against the background
            for (int y = text.top; y < text.bottom; ++y)
                for (int x = text.left; x < text.right; ++x)
                    contrast = std::max(contrast, std::abs(Grey(GetPixel(dc, x, y)) - Grey(background)));
            SelectObject(dc, old);
            DeleteObject(canvas);
            DeleteDC(dc);

            EXPECT_EQ(background, static_cast<COLORREF>(0xBDB9B8));
            // Half the scale from black to white between the letters and the light grey.
            EXPECT_GE(contrast, 128);
        }),
        vekgui::Do([&] { dialog.EndDialog(IDCANCEL); }),
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(script.Finished());
}

}  // namespace
