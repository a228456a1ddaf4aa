// The skin manager's decisions that need no window: which skin object serves
// a window class (the class map with its aliases and the fall-back rules),
// what a skin object's DefWindowProc calls for each pushed descriptor, when a
// replaced default procedure hands a message to the skin, and which system
// functions HookAll replaces, in which order, under each apply option.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "skin/core/def_proc.h"
#include "skin/core/hook_table.h"
#include "skin/core/skin_class_map.h"

namespace {

// ---- class map ----------------------------------------------------------------------

struct ClassCase {
    const char* className;
    const char* servedBy;  // skin-object class; "" never skinned
    bool windowsForms;
    bool dialog;
};

std::string ServedBy(const plym::SkinClassMap& map, const plym::SkinObjectChoice& choice) {
    switch (choice.kind) {
        case plym::SkinObjectChoice::kEntry:
            return map.ObjectClass(choice.entry);
        case plym::SkinObjectChoice::kApplicationFrame:
            return plym::kApplicationFrameClass;
        default:
            return "";
    }
}

TEST(SkinClassMap, ServesEachWindowClassAsTheRulesSay) {
    const plym::SkinClassMap map = plym::MakeStandardSkinClassMap();
    const char* frame = plym::kApplicationFrameClass;
    const ClassCase cases[] = {
        {"Button", "CPlymSkinObjectButton", false, false},
        {"BUTTON", "CPlymSkinObjectButton", false, false},
        {"TButton", "CPlymSkinObjectButton", false, false},
        {"TGroupBox", "CPlymSkinObjectButton", false, false},
        {"WindowsForms10.BUTTON.app.0.2bf8098_r6_ad1", "CPlymSkinObjectButton", true, false},
        {"WindowsForms10.Window.8.app.0.2bf8098", frame, true, false},  // WINDOW has no entry
        {"WindowsForms10.BUTTON", frame, true, false},                  // one dot only
        {"WindowsForms10BUTTON", frame, true, false},
        {"WindowsForms10.#32768.app", frame, true, false},  // an entry without a class
        {"Edit", "CPlymSkinObjectEdit", false, false},
        {"SysIPAddress32", "CPlymSkinObjectEdit", false, false},
        {"TRichEditViewer", "CPlymSkinObjectEdit", false, false},
        {"ComboLBox", "CPlymSkinObjectListBox", false, false},
        {"ATL:ScrollBar", "CPlymSkinObjectScrollBar", false, false},
        {"TNewProgressBar", "CPlymSkinObjectProgress", false, false},
        {"TTabControl", "CPlymSkinObjectTab", false, false},
        {"SysDateTimePick32", "CPlymSkinObjectDateTime", false, false},
        {"SysListView32", "CPlymSkinObjectListView", false, false},
        {"#32768", "", false, false},
        {"PlymSkinManagerMenu", "", false, false},
        {"SysPager", "", false, false},
        {"Internet Explorer_Server", "", false, false},
        {"OleMainThreadWndClass", "", false, false},
        {"tooltips_class32", "", false, false},
        {"TOOLTIPS_CLASS32", frame, false, false},  // only the exact name is left alone
        {"ime", "", false, false},
        {"MSCTFIME UI", "", false, false},
        {"CicMarshalWndClass", "", false, false},
        {"#32770", frame, false, true},
        {"Static", frame, false, false},
        {"WinlibWnd:8:0000000000010005:0000000000000000:0000000000000000", frame, false, false},
    };
    for (const ClassCase& c : cases) {
        const plym::SkinObjectChoice choice = plym::ChooseSkinObject(map, c.className);
        EXPECT_EQ(ServedBy(map, choice), c.servedBy) << c.className;
        EXPECT_EQ(choice.windowsForms, c.windowsForms) << c.className;
        EXPECT_EQ(choice.dialog, c.dialog) << c.className;
    }
}

TEST(SkinClassMap, AliasesShareTheirTargetsEntryAndNeverReplaceANameOrPointNowhere) {
    plym::SkinClassMap map;
    map.Add("Button", "CButtonSkin");
    map.Add("Edit", "CEditSkin");
    map.AddAlias("TButton", "button");  // the target in any case
    map.AddAlias("Edit", "Button");     // mapped already: stays
    map.AddAlias("TLabel", "Static");   // the target is not mapped: not added
    map.AddAlias("Nothing", "");        // an entry of its own without a class
    map.Add("BUTTON", "COther");        // mapped already: stays

    EXPECT_EQ(map.Find("tbutton"), map.Find("Button"));
    EXPECT_EQ(map.ObjectClass(map.Find("Edit")), "CEditSkin");
    EXPECT_EQ(map.ObjectClass(map.Find("Button")), "CButtonSkin");
    EXPECT_EQ(map.Find("TLabel"), -1);
    ASSERT_GE(map.Find("NOTHING"), 0);
    EXPECT_EQ(map.ObjectClass(map.Find("nothing")), "");
    EXPECT_EQ(map.EntryCount(), 3);
    EXPECT_EQ(map.Names().size(), 4u);
}

// ---- default-procedure descriptors -----------------------------------------------------

// Fake procedures: each records how it was called.
struct Call {
    std::string who;
    uintptr_t first = 0;  // the procedure (previous, CallWindowProc target) or MDI client
    int window = 0;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};
std::vector<Call> g_calls;

struct FakeCalls {
    using Result = intptr_t;
    using Window = int;
    using WParam = uintptr_t;
    using LParam = intptr_t;

    static intptr_t Previous(uintptr_t previous,
                             int window,
                             uint32_t message,
                             uintptr_t wParam,
                             intptr_t lParam) {
        g_calls.push_back({"previous", previous, window, message, wParam, lParam});
        return 100;
    }
    static intptr_t Chain(uintptr_t procedure,
                          uintptr_t target,
                          int window,
                          uint32_t message,
                          uintptr_t wParam,
                          intptr_t lParam) {
        g_calls.push_back({"chain" + std::to_string(procedure), target, window, message, wParam, lParam});
        return 101;
    }
    static intptr_t Plain(uintptr_t procedure,
                          int window,
                          uint32_t message,
                          uintptr_t wParam,
                          intptr_t lParam) {
        g_calls.push_back({"plain" + std::to_string(procedure), 0, window, message, wParam, lParam});
        return 102;
    }
    static intptr_t Frame(uintptr_t procedure,
                          int window,
                          uintptr_t client,
                          uint32_t message,
                          uintptr_t wParam,
                          intptr_t lParam) {
        g_calls.push_back({"frame" + std::to_string(procedure), client, window, message, wParam, lParam});
        return 103;
    }
};

TEST(DefProcDescriptors, TheTopDescriptorDecidesWhatDefWindowProcCalls) {
    struct Case {
        bool pushed;
        plym::DefProcDescriptor top;
        intptr_t result;
        std::string who;
        uintptr_t first;
    };
    const Case cases[] = {
        {false, {}, 100, "previous", 77},  // nothing pushed: the window's previous procedure
        {true, {plym::kDefProcPrevious, 0, 0, 0x0F}, 100, "previous", 77},
        {true, {plym::kDefProcCallWindowProc, 5, 900, 0x0F}, 101, "chain5", 900},
        {true, {plym::kDefProcDefWindowProc, 6, 0, 0x0F}, 102, "plain6", 0},
        {true, {plym::kDefProcDefMDIChildProc, 7, 0, 0x0F}, 102, "plain7", 0},
        {true, {plym::kDefProcDefFrameProc, 8, 901, 0x0F}, 103, "frame8", 901},
        {true, {plym::kDefProcDefDlgProc, 9, 0, 0x0F}, 102, "plain9", 0},
        {true, {6, 10, 0, 0x0F}, 0, "", 0},  // unknown kind: nothing runs
    };
    for (const Case& c : cases) {
        g_calls.clear();
        plym::DefProcStack stack;
        stack.Push({plym::kDefProcDefWindowProc, 1, 0, 0x14});  // an outer call underneath
        if (c.pushed)
            stack.Push(c.top);
        const intptr_t result =
            plym::CallDefProc<FakeCalls>(c.pushed ? stack.Top() : nullptr, 77, 42, 0x0F, 3, -4);
        EXPECT_EQ(result, c.result) << c.who;
        if (c.who.empty()) {
            EXPECT_TRUE(g_calls.empty());
            continue;
        }
        ASSERT_EQ(g_calls.size(), 1u) << c.who;
        EXPECT_EQ(g_calls[0].who, c.who);
        EXPECT_EQ(g_calls[0].first, c.first) << c.who;
        EXPECT_EQ(g_calls[0].window, 42);
        EXPECT_EQ(g_calls[0].message, 0x0Fu);
        EXPECT_EQ(g_calls[0].wParam, 3u);
        EXPECT_EQ(g_calls[0].lParam, -4);
    }
}

TEST(DefProcDescriptors, TheStackAnswersItsInnermostMessageAndPopsInOrder) {
    plym::DefProcStack stack;
    EXPECT_EQ(stack.CurrentMessage(), 0u);
    EXPECT_EQ(stack.Top(), nullptr);
    for (uint32_t message = 1; message <= 25; ++message)  // past the first block of ten
        stack.Push({plym::kDefProcDefDlgProc, message, 0, message});
    EXPECT_EQ(stack.Depth(), 25u);
    for (uint32_t message = 25; message >= 1; --message) {
        EXPECT_EQ(stack.CurrentMessage(), message);
        const auto* top = stack.Top();
        ASSERT_NE(top, nullptr) << message;
        EXPECT_EQ(top->procedure, message);
        stack.Pop();
    }
    stack.Pop();  // an empty stack stays empty
    EXPECT_EQ(stack.Depth(), 0u);
}

TEST(DefProcRoute, TheSkinSeesAMessageOnceAndLetsApplicationChainsRunOn) {
    plym::DefRouteFacts base;
    base.enabled = true;
    base.hasObject = true;
    base.message = 0x0085;  // WM_NCPAINT
    base.currentDefProcMessage = 0;
    base.kind = plym::kDefProcDefWindowProc;
    using plym::DefRoute;
    struct Case {
        const char* what;
        void (*change)(plym::DefRouteFacts&);
        DefRoute route;
    };
    const Case cases[] = {
        {"routed", [](plym::DefRouteFacts&) {}, DefRoute::kRoute},
        {"not enabled", [](plym::DefRouteFacts& f) { f.enabled = false; }, DefRoute::kPass},
        {"no object", [](plym::DefRouteFacts& f) { f.hasObject = false; }, DefRoute::kPass},
        {"skinning off", [](plym::DefRouteFacts& f) { f.skinningOff = true; }, DefRoute::kPass},
        {"its own fall-back", [](plym::DefRouteFacts& f) { f.currentDefProcMessage = 0x0085; },
         DefRoute::kPass},
        {"another message inside", [](plym::DefRouteFacts& f) { f.currentDefProcMessage = 0x0014; },
         DefRoute::kRoute},
        {"NCDESTROY, default route",
         [](plym::DefRouteFacts& f) {
             f.message = 0x0082;
             f.ncDestroy = true;
         },
         DefRoute::kDetachAndPass},
        {"NCDESTROY, subclassed",
         [](plym::DefRouteFacts& f) {
             f.message = 0x0082;
             f.ncDestroy = true;
             f.subclassed = true;
         },
         DefRoute::kRoute},
        {"CallWindowProc into an application procedure",
         [](plym::DefRouteFacts& f) {
             f.kind = plym::kDefProcCallWindowProc;
             f.defaultProcOnly = true;
             f.target = 0x401000;
         },
         DefRoute::kPass},
        {"CallWindowProc into the system",
         [](plym::DefRouteFacts& f) {
             f.kind = plym::kDefProcCallWindowProc;
             f.defaultProcOnly = true;
             f.target = 0x401000;
             f.targetInSystemModule = true;
         },
         DefRoute::kRoute},
        {"CallWindowProc, timer",
         [](plym::DefRouteFacts& f) {
             f.kind = plym::kDefProcCallWindowProc;
             f.target = 0x401000;
         },
         DefRoute::kRoute},
        {"DefWindowProc ignores the target rule",
         [](plym::DefRouteFacts& f) {
             f.defaultProcOnly = true;
             f.target = 0x401000;
         },
         DefRoute::kRoute},
        {"Windows 9x, a high target",
         [](plym::DefRouteFacts& f) {
             f.kind = plym::kDefProcCallWindowProc;
             f.defaultProcOnly = true;
             f.target = 0x7FF00000;
             f.win9x = true;
         },
         DefRoute::kRoute},
    };
    for (const Case& c : cases) {
        plym::DefRouteFacts facts = base;
        c.change(facts);
        EXPECT_EQ(plym::ChooseDefProcRoute(facts), c.route) << c.what;
    }
}

// ---- the hook table ---------------------------------------------------------------------

TEST(HookTable, HookAllInstallsTheOpenGroupsInItsOrder) {
    const std::vector<int> always = {0, 1, 2, 3, 4, 5, 38, 6, 7, 28, 29, 32, 33, 34, 35, 30, 31, 36, 37};
    const std::vector<int> colors = {8, 9, 10, 39, 40, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 11};
    const std::vector<int> frames = {12, 13, 14, 15, 45};
    const std::vector<int> metrics = {27, 41, 42};
    const std::vector<int> menus = {43, 44};
    const auto join = [&](std::initializer_list<const std::vector<int>*> groups) {
        std::vector<int> order(always.begin(), always.begin() + 9);
        for (const auto* group : groups)
            order.insert(order.end(), group->begin(), group->end());
        order.insert(order.end(), always.begin() + 9, always.end());
        return order;
    };
    EXPECT_EQ(plym::HookAllOrder(0), always);
    EXPECT_EQ(plym::HookAllOrder(7), join({&colors, &frames, &metrics}));  // the program's options
    EXPECT_EQ(plym::HookAllOrder(15), join({&colors, &frames, &metrics, &menus}));
    EXPECT_EQ(plym::HookAllOrder(8), join({&menus}));
    EXPECT_EQ(plym::HookAllOrder(5), join({&colors, &metrics}));
    EXPECT_EQ(plym::HookAllOrder(15).size(), static_cast<size_t>(plym::kHookCount));

    // With options 7 the popup menus stay the system's, the menu bar and
    // scroll bars do not.
    EXPECT_FALSE(plym::HookGateOpen(plym::kHookTrackPopupMenu, 7));
    EXPECT_FALSE(plym::HookGateOpen(plym::kHookTrackPopupMenuEx, 7));
    EXPECT_TRUE(plym::HookGateOpen(plym::kHookDrawMenuBar, 7));
    EXPECT_TRUE(plym::HookGateOpen(plym::kHookSetScrollInfo, 7));
    EXPECT_FALSE(plym::HookGateOpen(plym::kHookSetScrollInfo, 5));
    EXPECT_FALSE(plym::HookGateOpen(-1, 15));
    EXPECT_FALSE(plym::HookGateOpen(plym::kHookCount, 15));
}

TEST(HookTable, TheVisualStyleNamesTheSkinReports) {
    EXPECT_EQ(plym::ThemeColorName("NormalBlack.ini"), "NORMALBLACK.INI");
    EXPECT_EQ(plym::ThemeColorName("Blue.ini"), "normalcolor");
    EXPECT_EQ(plym::ThemeColorName("HomeStead.ini"), "homestead");
    EXPECT_EQ(plym::ThemeColorName("NormalMetallic.ini"), "metallic");
    EXPECT_EQ(plym::ThemeColorName("Metallic.ini"), "METALLIC.INI");  // only after the first character

    EXPECT_EQ(plym::ChooseThemeClassName("Explorer::TreeView;TreeView"), "TREEVIEW");
    EXPECT_EQ(plym::ChooseThemeClassName("NoSuchClass; button"), "BUTTON");
    EXPECT_EQ(plym::ChooseThemeClassName("Window"), "WINDOW");
    EXPECT_EQ(plym::ChooseThemeClassName("NoSuchClass"), "");
    EXPECT_EQ(plym::ChooseThemeClassName(""), "");
}

}  // namespace
