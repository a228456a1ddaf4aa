// skin/core/skin_class_map.cpp
#include "skin/core/skin_class_map.h"

namespace plym {

namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && UpperAscii(a) == UpperAscii(b);
}

const std::string kNoClass;

}  // namespace

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

void SkinClassMap::Add(std::string_view windowClass, std::string_view objectClass) {
    const std::string name = UpperAscii(windowClass);
    if (names_.count(name))
        return;
    entries_.emplace_back(objectClass);
    names_.emplace(name, static_cast<int>(entries_.size()) - 1);
}

void SkinClassMap::AddAlias(std::string_view alias, std::string_view target) {
    if (target.empty()) {
        Add(alias, std::string_view());
        return;
    }
    const std::string name = UpperAscii(alias);
    const int entry = Find(target);
    if (names_.count(name) || entry < 0)
        return;
    names_.emplace(name, entry);
}

int SkinClassMap::Find(std::string_view windowClass) const {
    const auto found = names_.find(UpperAscii(windowClass));
    return found == names_.end() ? -1 : found->second;
}

const std::string& SkinClassMap::ObjectClass(int entry) const {
    return entry >= 0 && entry < EntryCount() ? entries_[static_cast<size_t>(entry)] : kNoClass;
}

SkinClassMap MakeStandardSkinClassMap() {
    SkinClassMap map;
    map.Add("ComboBox", "CPlymSkinObjectComboBox");
    map.Add("Edit", "CPlymSkinObjectEdit");
    map.AddAlias("SysIPAddress32", "Edit");
    map.AddAlias("msctls_hotkey32", "Edit");
    map.Add("SysDateTimePick32", "CPlymSkinObjectDateTime");
    map.Add("SysMonthCal32", "CPlymSkinObjectMonthCal");
    map.Add("ListBox", "CPlymSkinObjectListBox");
    map.AddAlias("ComboLBox", "ListBox");
    map.Add("ScrollBar", "CPlymSkinObjectScrollBar");
    map.AddAlias("ATL:ScrollBar", "ScrollBar");
    map.Add("SysListView32", "CPlymSkinObjectListView");
    map.Add("SysHeader32", "CPlymSkinObjectHeader");
    map.Add("msctls_statusbar32", "CPlymSkinObjectStatusBar");
    map.Add("SysTreeView32", "CPlymSkinObjectTreeView");
    map.Add("msctls_progress32", "CPlymSkinObjectProgress");
    map.Add("msctls_trackbar32", "CPlymSkinObjectTrackBar");
    map.Add("SysTabControl32", "CPlymSkinObjectTab");
    map.Add("MDIClient", "CPlymSkinObjectMDIClient");
    map.Add("msctls_updown32", "CPlymSkinObjectSpin");
    map.Add("ToolbarWindow32", "CPlymSkinObjectToolBar");
    map.Add("Button", "CPlymSkinObjectButton");
    for (const char* alias : {"TButton", "TRadioButton", "TCheckBox", "TGroupBox"})
        map.AddAlias(alias, "Button");
    for (const char* alias : {"TEdit", "TMemo", "TRichEditViewer"})
        map.AddAlias(alias, "Edit");
    map.AddAlias("TNewProgressBar", "msctls_progress32");
    map.AddAlias("TProgressBar", "msctls_progress32");
    map.AddAlias("TComboBox", "ComboBox");
    map.AddAlias("TScrollBar", "ScrollBar");
    map.AddAlias("TTrackBar", "msctls_trackbar32");
    map.AddAlias("TTabControl", "SysTabControl32");
    map.AddAlias("TTreeView", "SysTreeView32");
    map.AddAlias("TListView", "SysListView32");
    map.AddAlias("TListBox", "ListBox");
    // Menus, the framework's own popup menus and pagers are never skinned.
    for (const char* never : {"#32768", "PlymSkinManagerMenu", "SysPager"})
        map.AddAlias(never, "");
    return map;
}

SkinObjectChoice ChooseSkinObject(const SkinClassMap& map, std::string_view className) {
    SkinObjectChoice choice;
    if (className == "tooltips_class32" || EqualIgnoringCase(className, "IME") ||
        EqualIgnoringCase(className, "CicMarshalWndClass") || EqualIgnoringCase(className, "MSCTFIME UI"))
        return choice;
    if (className.find("WindowsForms") != std::string_view::npos) {
        choice.windowsForms = true;
        choice.kind = SkinObjectChoice::kApplicationFrame;
        const size_t first = className.find('.');
        const size_t second = first == std::string_view::npos ? first : className.find('.', first + 1);
        if (second != std::string_view::npos) {
            const int entry = map.Find(className.substr(first + 1, second - first - 1));
            if (entry >= 0 && !map.ObjectClass(entry).empty()) {
                choice.kind = SkinObjectChoice::kEntry;
                choice.entry = entry;
            }
        }
    } else if (const int entry = map.Find(className); entry >= 0) {
        if (!map.ObjectClass(entry).empty()) {
            choice.kind = SkinObjectChoice::kEntry;
            choice.entry = entry;
        }
    } else if (className.find("Internet Explorer") == std::string_view::npos &&
               className.find("OleMainThread") == std::string_view::npos) {
        choice.kind = SkinObjectChoice::kApplicationFrame;
    }
    choice.dialog = choice.kind != SkinObjectChoice::kNever && className == "#32770";
    return choice;
}

}  // namespace plym
