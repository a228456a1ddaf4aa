// skin/core/schema_store.cpp
#include "skin/core/schema_store.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "skin/core/plym_muldiv.h"

namespace plym {
namespace {

constexpr int kWeightNormal = 400;
constexpr int kWeightBold = 700;
constexpr size_t kFaceNameMax = 31;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

void UpperCase(std::string* text) {
    for (char& c : *text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

// Reads a value the way the C library's scanf reads it, within the text and
// without undefined behaviour: numbers that do not fit saturate, fields that
// are not read are left alone.
class ValueScanner {
  public:
    explicit ValueScanner(std::string_view text) : text_(text) {}

    // %i (base 0: "0x" hexadecimal, "0" octal, else decimal) or %ld / %d (base
    // 10). Skips leading white space.
    bool Number(int base, int32_t* out) {
        SkipSpaces();
        size_t at = at_;
        bool negative = false;
        if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) {
            negative = text_[at] == '-';
            ++at;
        }
        if (base == 0) {
            base = 10;
            if (at < text_.size() && text_[at] == '0') {
                base = 8;
                if (at + 2 < text_.size() && (text_[at + 1] == 'x' || text_[at + 1] == 'X') &&
                    DigitValue(text_[at + 2]) < 16) {
                    base = 16;
                    at += 2;
                }
            }
        }
        const size_t first = at;
        int64_t value = 0;
        while (at < text_.size() && DigitValue(text_[at]) < base) {
            value = std::min<int64_t>(value * base + DigitValue(text_[at]), int64_t{INT32_MAX} + 1);
            ++at;
        }
        if (at == first)
            return false;
        at_ = at;
        value = negative ? -value : value;
        *out = static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
        return true;
    }

    // A literal character of the format.
    bool Literal(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    // White space in the format: any amount, none included.
    void SkipSpaces() {
        while (at_ < text_.size() && IsSpace(text_[at_]))
            ++at_;
    }

    // %[^stop]: at least one character; all of them are consumed, at most
    // `keep` are kept.
    bool Until(char stop, size_t keep, std::string* out) {
        const size_t first = at_;
        while (at_ < text_.size() && text_[at_] != stop)
            ++at_;
        if (at_ == first)
            return false;
        *out = std::string(text_.substr(first, std::min(at_ - first, keep)));
        return true;
    }

    // %s: skips white space, then at least one character up to the next.
    bool Word(std::string* out) {
        SkipSpaces();
        const size_t first = at_;
        while (at_ < text_.size() && !IsSpace(text_[at_]))
            ++at_;
        if (at_ == first)
            return false;
        *out = std::string(text_.substr(first, at_ - first));
        return true;
    }

  private:
    std::string_view text_;
    size_t at_ = 0;
};

}  // namespace

uint32_t SchemaKey(uint32_t classCode, uint32_t part, uint32_t state, uint32_t id) {
    return (((state * 64u + part) * 64u + classCode) << 14) + id;
}

uint32_t SchemaStore::ParseSectionKey(std::string_view text) const {
    if (text.find(':') != std::string_view::npos)
        return 0;
    std::string_view stateName;
    const size_t open = text.find('(');
    if (open != std::string_view::npos) {
        // Up to the last character, whatever it is (normally ')').
        stateName = text.substr(open + 1);
        if (!stateName.empty())
            stateName.remove_suffix(1);
        text = text.substr(0, open);
    }
    std::string_view className = text;
    std::string_view partName;
    const size_t dot = text.find('.');
    if (dot != std::string_view::npos) {
        className = text.substr(0, dot);
        partName = text.substr(dot + 1);
    }
    int part = 0;
    if (!partName.empty()) {
        part = GetSchemaPartCode(className, partName);
        if (part == 0)
            return 0;
    }
    int state = 0;
    if (!stateName.empty()) {
        state = GetSchemaStateCode(partName.empty() ? className : partName, stateName);
        if (state == 0)
            return 0;
    }
    const int classCode = GetSchemaClassCode(className);
    if (classCode == 0)
        return 0;
    return SchemaKey(static_cast<uint32_t>(classCode), static_cast<uint32_t>(part),
                     static_cast<uint32_t>(state), 0);
}

bool SchemaStore::ParseValue(std::string_view propertyName,
                             std::string_view value,
                             SchemaProperty* property) const {
    ValueScanner scan(value);
    switch (property->kind) {
        case kKindString:
            property->text = std::string(value);
            return true;
        case kKindInt:
            scan.Number(10, &property->number);
            return true;
        case kKindBool:
            property->number = value == "TRUE" ? 1 : 0;
            return true;
        case kKindColor: {
            int32_t rgb[3] = {0, 0, 0};
            if (scan.Number(0, &rgb[0]) && scan.Number(0, &rgb[1]))
                scan.Number(0, &rgb[2]);
            property->color = Rgb(rgb[0], rgb[1], rgb[2]);
            return true;
        }
        case kKindRect: {
            // Written left, right, top, bottom.
            int32_t* fields[4] = {&property->rect.left, &property->rect.right, &property->rect.top,
                                  &property->rect.bottom};
            for (int i = 0; i < 4; ++i) {
                if ((i > 0 && !scan.Literal(',')) || !scan.Number(10, fields[i]))
                    break;
            }
            return true;
        }
        case kKindFont: {
            // "face, points, style"
            LogFont& font = property->font;
            std::string face;
            int32_t points = 0;
            std::string style;
            if (scan.Until(',', kFaceNameMax, &face) && scan.Literal(',')) {
                scan.SkipSpaces();
                if (scan.Number(10, &points) && scan.Literal(',')) {
                    scan.SkipSpaces();
                    scan.Word(&style);
                }
            }
            std::memcpy(font.faceName, face.data(), face.size());
            font.height = -PlymMulDiv(points, display_.logPixelsY, 72);
            font.weight = style == "BOLD" ? kWeightBold : kWeightNormal;
            font.charSet = display_.charSet;
            return true;
        }
        case kKindEnum:
            property->number = GetSchemaEnumValue(propertyName, value);
            return true;
        case kKindPosition:
            if (scan.Number(0, &property->position.x) && scan.Literal(','))
                scan.Number(0, &property->position.y);
            return true;
        default:  // integer lists are not kept
            return false;
    }
}

int SchemaStore::ReadProperties(LineSource& source) {
    ForgetProperties();
    properties_.clear();
    uint32_t baseKey = 0;
    std::string line;
    while (source.ReadLine(&line)) {
        std::string_view text = line;
        const size_t comment = text.find(';');
        if (comment != std::string_view::npos)
            text = text.substr(0, comment);
        std::string upper(Trim(text));
        if (upper.empty())
            continue;
        UpperCase(&upper);
        if (upper.front() == '[') {
            // The text between the first and the last character.
            baseKey =
                upper.size() >= 2 ? ParseSectionKey(std::string_view(upper).substr(1, upper.size() - 2)) : 0;
            continue;
        }
        if (baseKey == 0)
            continue;
        const size_t equals = upper.find('=');
        if (equals == std::string::npos || equals == 0)
            continue;
        const std::string_view name = Trim(std::string_view(upper).substr(0, equals));
        int kind = kKindNone;
        const int id = GetSchemaPropertyId(name, &kind);
        if (id == 0)
            continue;
        const uint32_t key = baseKey + static_cast<uint32_t>(id);
        properties_.erase(key);
        SchemaProperty property;
        property.kind = kind;
        property.id = id;
        if (ParseValue(name, Trim(std::string_view(upper).substr(equals + 1)), &property))
            properties_.emplace(key, std::move(property));
    }
    const SchemaProperty* alpha = FindExact(SchemaKey(kClassDocumentation, 0, 0, kPropAlphaLevel));
    if (alpha && alpha->kind == kKindInt && alpha->number == 255)
        premultiply_ = false;
    return 0;
}

const SchemaProperty* SchemaStore::FindExact(uint32_t key) const {
    const auto found = properties_.find(key);
    return found == properties_.end() ? nullptr : &found->second;
}

const SchemaProperty* SchemaStore::LookupProperty(int classCode, int part, int state, int id) const {
    const auto c = static_cast<uint32_t>(classCode);
    const auto p = static_cast<uint32_t>(part);
    const auto s = static_cast<uint32_t>(state);
    const auto i = static_cast<uint32_t>(id);
    const SchemaProperty* found = nullptr;
    if (s != 0) {
        found = FindExact(SchemaKey(c, p, s, i));
        if (!found && p != 0)
            found = FindExact(SchemaKey(c, 0, s, i));
    }
    if (!found)
        found = FindExact(SchemaKey(c, p, 0, i));
    if (!found)
        found = FindExact(SchemaKey(c, 0, 0, i));
    if (!found)
        found = FindExact(SchemaKey(kClassGlobals, 0, 0, i));
    return found;
}

int32_t SchemaStore::GetIntProperty(int classCode, int part, int state, int id, int* out) const {
    const SchemaProperty* property = LookupProperty(classCode, part, state, id);
    if (!property)
        return kResultAbsent;
    if (property->kind != kKindInt)
        return kResultWrongKind;
    *out = property->number;
    return kResultOk;
}

int32_t SchemaStore::GetBoolProperty(int classCode, int part, int state, int id, bool* out) const {
    const SchemaProperty* property = LookupProperty(classCode, part, state, id);
    if (!property)
        return kResultAbsent;
    if (property->kind != kKindBool)
        return kResultWrongKind;
    *out = property->number != 0;
    return kResultOk;
}

int32_t SchemaStore::GetColorProperty(int classCode, int part, int state, int id, Color* out) const {
    const SchemaProperty* property = LookupProperty(classCode, part, state, id);
    if (!property)
        return kResultAbsent;
    if (property->kind != kKindColor)
        return kResultWrongKind;
    *out = FilterColor(property->color);
    return kResultOk;
}

int32_t SchemaStore::GetFontProperty(int classCode, int part, int state, int id, LogFont* out) const {
    const SchemaProperty* property = LookupProperty(classCode, part, state, id);
    if (!property)
        return kResultAbsent;
    if (property->kind != kKindFont)
        return kResultWrongKind;
    *out = property->font;
    return kResultOk;
}

}  // namespace plym
