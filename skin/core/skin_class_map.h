// skin/core/skin_class_map.h
//
// Which skin object serves a window, decided from the window's class name
// alone. The class map holds window-class names (compared in upper case),
// each naming an entry; an entry names the skin-object class that serves its
// windows, or nothing when such windows are never skinned. Aliases share the
// entry of the name they point to. Portable; the skin manager turns entries
// into runtime classes and objects.
//
// The rules, first match wins:
//   - "tooltips_class32" (exactly), and "IME", "CicMarshalWndClass" and
//     "MSCTFIME UI" in any case, are never skinned;
//   - a Windows Forms class ("WindowsForms10.BUTTON.app.0.2bf8098_r6_ad1")
//     is served by the entry of the text between its first two dots when
//     that entry names a class, else by an application frame; its object is
//     marked as serving Windows Forms;
//   - any other class: its entry (an entry without a class: never skinned);
//     without an entry, classes containing "Internet Explorer" or
//     "OleMainThread" are never skinned and all others get an application
//     frame;
//   - "#32770" (exactly, the dialog class) also marks the object as a
//     dialog's.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace plym {

// The skin object of every window class the map does not name.
inline constexpr const char* kApplicationFrameClass = "CPlymSkinObjectApplicationFrame";

class SkinClassMap {
  public:
    // Adds `windowClass` (any case) with an entry of its own naming
    // `objectClass` (empty: never skinned); nothing when the name is mapped.
    void Add(std::string_view windowClass, std::string_view objectClass);
    // Lets `alias` share the entry of `target`, only when the alias is not
    // mapped yet and the target is. An empty target gives the alias an entry
    // of its own without a class.
    void AddAlias(std::string_view alias, std::string_view target);

    // The entry of a window class (any case), -1 when it has none.
    int Find(std::string_view windowClass) const;
    // The skin-object class of an entry; empty for none.
    const std::string& ObjectClass(int entry) const;
    int EntryCount() const { return static_cast<int>(entries_.size()); }
    // Every mapped name (upper case) with its entry.
    const std::map<std::string, int>& Names() const { return names_; }

  private:
    std::vector<std::string> entries_;
    std::map<std::string, int> names_;
};

// The skin manager's map: the system's controls and the common controls,
// with the names other toolkits give the same controls.
SkinClassMap MakeStandardSkinClassMap();

struct SkinObjectChoice {
    enum Kind { kNever, kEntry, kApplicationFrame };
    Kind kind = kNever;
    int entry = -1;             // kEntry: the map entry that makes the object
    bool windowsForms = false;  // the class is a Windows Forms one
    bool dialog = false;        // the class is "#32770"
};

// What serves a window of class `className` (see the rules above).
SkinObjectChoice ChooseSkinObject(const SkinClassMap& map, std::string_view className);

// ASCII upper case.
std::string UpperAscii(std::string_view text);

}  // namespace plym
