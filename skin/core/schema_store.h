// skin/core/schema_store.h
//
// The parsed skin: every NAME=value line of the skin's INI text under a
// [Class.Part(State)] header becomes one typed property, stored under a
// numeric key, and look-ups fall back from the most specific section to the
// skin's [Globals]. Portable; the Windows schema (skin_schema.h) adds the
// drawing on top of it.
//
// Key of a property: (((state * 64 + part) * 64 + class) << 14) + id, in
// unsigned 32-bit arithmetic; a section's base key is the key with id 0.
//
// Look-up order for (class, part, state, id), first found wins:
//   (class, part, state) and, when part is not 0, (class, 0, state) -- both
//   only when state is not 0; then (class, part, 0); (class, 0, 0); and last
//   (Globals, 0, 0).
//
// The INI text is hostile input: every value is read with bounded scanners
// that leave unread fields at 0, and nothing in it can make the parser fail;
// unknown names drop the line or the whole section.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "skin/core/plym_types.h"
#include "skin/core/schema_names.h"

namespace plym {

// The skin file's text, line by line.
class LineSource {
  public:
    virtual ~LineSource() = default;
    // The next line without its line end; false at the end of the text.
    virtual bool ReadLine(std::string* line) = 0;
};

// What font values need from the screen.
struct DisplayInfo {
    int logPixelsY = 96;
    uint8_t charSet = 1;  // DEFAULT_CHARSET
};

// Results of the typed getters, as the visual-style functions report them.
inline constexpr int32_t kResultOk = 0;
inline constexpr int32_t kResultAbsent = static_cast<int32_t>(0x80004005u);     // E_FAIL
inline constexpr int32_t kResultWrongKind = static_cast<int32_t>(0x80070057u);  // E_INVALIDARG

// One typed value. Only the field of its kind is meaningful.
struct SchemaProperty {
    int kind = kKindNone;
    int id = 0;
    int32_t number = 0;  // integer, boolean (0 or 1) and enumerated kinds
    Color color = 0;     // colour kind
    Rect rect;           // rectangle or margins kind
    Point position;      // position kind
    std::string text;    // string kind (upper case, as parsed)
    LogFont font;        // font kind
};

uint32_t SchemaKey(uint32_t classCode, uint32_t part, uint32_t state, uint32_t id);

class SchemaStore {
  public:
    using ColorFilter = std::function<Color(Color)>;

    SchemaStore() = default;
    virtual ~SchemaStore() = default;
    SchemaStore(const SchemaStore&) = delete;
    SchemaStore& operator=(const SchemaStore&) = delete;

    void SetDisplayInfo(const DisplayInfo& info) { display_ = info; }
    // The skin manager's colour filters; none means colours pass unchanged.
    void SetColorFilter(ColorFilter filter) { filter_ = std::move(filter); }
    Color FilterColor(Color color) const { return filter_ ? filter_(color) : color; }

    // Deletes every property, then parses the text to its end. Returns 0.
    int ReadProperties(LineSource& source);

    // The base key of a section header's text (upper case, without the
    // brackets); 0 when the section is to be ignored.
    uint32_t ParseSectionKey(std::string_view text) const;

    const SchemaProperty* LookupProperty(int classCode, int part, int state, int id) const;
    // The property stored under exactly this key, without fall-back.
    const SchemaProperty* FindExact(uint32_t key) const;
    size_t PropertyCount() const { return properties_.size(); }

    // kResultOk and the value, kResultAbsent or kResultWrongKind. Colours
    // pass through the colour filter.
    int32_t GetIntProperty(int classCode, int part, int state, int id, int* out) const;
    int32_t GetBoolProperty(int classCode, int part, int state, int id, bool* out) const;
    int32_t GetColorProperty(int classCode, int part, int state, int id, Color* out) const;
    int32_t GetFontProperty(int classCode, int part, int state, int id, LogFont* out) const;

    // Images with alpha are premultiplied when loaded, unless the skin's
    // [Documentation] says ALPHALEVEL=255.
    bool Premultiply() const { return premultiply_; }

  protected:
    // Called before the properties are deleted for a new read: whatever holds
    // pointers to them lets go here.
    virtual void ForgetProperties() {}

  private:
    // Fills `property` from the value text by kind; false when the kind makes
    // no property (integer lists).
    bool ParseValue(std::string_view propertyName, std::string_view value, SchemaProperty* property) const;

    std::unordered_map<uint32_t, SchemaProperty> properties_;
    DisplayInfo display_;
    ColorFilter filter_;
    bool premultiply_ = true;
};

}  // namespace plym
