// skin/core/resource_text.h
//
// What the resource manager (resource_manager.h) needs to know about
// resources without Windows: the string-table block format, the language
// table, and the rule that picks a module's language from the languages its
// resources are in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plym {

// String `id`'s block of a string table: resource number (id >> 4) + 1.
inline constexpr uint32_t StringBlockOf(uint32_t id) {
    return (id >> 4) + 1;
}

// The text of string `id` in its block (`size` bytes of 16 entries, each a
// 16-bit length and that many UTF-16LE characters): false when the entry is
// empty or does not lie wholly inside the bytes.
bool FindStringInBlock(const void* block, size_t size, uint32_t id, std::u16string& text);

struct PlymLanguage {
    uint16_t id;        // language id
    uint32_t codePage;  // its ANSI code page
    const char* charsetName;
    const char* englishName;
    const char* symbolicName;
    const char* fontFace;
    uint32_t gdiCharset;
};

inline constexpr uint16_t kEnglishUs = 1033;
inline constexpr size_t kPlymLanguageCount = 35;

// The table, in its order (Russian first).
const PlymLanguage* PlymLanguages();
// The record of `id`, or English (United States) for an id not in the table.
const PlymLanguage& PlymLanguageOf(uint16_t id);

// Picks a module's language while its resources' languages are enumerated
// (types, then names, then languages): the first non-zero language wins and
// ends the walk, except that English (United States) is kept while the walk
// goes on for another. None gives 0.
class ModuleLanguagePicker {
  public:
    // Notes one resource's language; false when the walk should stop.
    bool Offer(uint16_t language);
    uint16_t Language() const { return language_; }

  private:
    uint16_t language_ = 0;
};

}  // namespace plym
