// The main window made under the program's skin, in process under Wine: the
// start-up's skin calls (options 7, our skin, its INI) open the skin; the
// program's controls take the skin's system colours; every window of the main
// window carries the skin object the class map assigns to its class (none for
// the classes never skinned, the dialog kind on dialogs); once every window is
// destroyed the window map is empty; and after a skin that cannot be opened
// the controls take the system's colours again.
#include <gtest/gtest.h>
#include <windows.h>

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

}  // namespace
