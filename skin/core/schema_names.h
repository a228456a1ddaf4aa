// skin/core/schema_names.h
//
// The vocabulary of skin INI files: class, part, state, enumerated-value and
// property names with the numbers the parser turns them into, as constant
// tables, and the look-ups over them. Names compare without regard to (ASCII)
// case; a name that is not in a table gives 0 (-1 for an enumerated value).
//
// The part names "TABITEMBOTHEDGE" and "TOPTABITEMBOTHEDGE" have states filed
// under "TABITEMBOTHEDGES" and "TOPTABITEMBOTHEDGES": both spellings are
// accepted wherever a part or a state key is looked up, so that a section
// such as [Tab.TabItemBothEdge(Hot)] is read instead of silently dropped.
#pragma once

#include <string_view>

namespace plym {

// Value kinds of properties.
enum PropertyKind : int {
    kKindNone = 0,
    kKindString = 1,
    kKindInt = 2,
    kKindBool = 3,
    kKindColor = 4,
    kKindRect = 5,  // rectangle or margins
    kKindFont = 6,
    kKindIntList = 7,  // parsed, never stored
    kKindEnum = 8,
    kKindPosition = 9,
};

// Class codes the framework itself uses.
inline constexpr int kClassGlobals = 1;
inline constexpr int kClassDocumentation = 2;
inline constexpr int kClassSysMetrics = 3;
inline constexpr int kClassWindow = 6;

// Property ids the framework itself reads.
inline constexpr int kPropImageFile = 3001;
inline constexpr int kPropImageFile1 = 3002;
inline constexpr int kPropGlyphImageFile = 3008;
inline constexpr int kPropScrollBarWidth = 1202;
inline constexpr int kPropScrollBarHeight = 1203;
inline constexpr int kPropCaptionBarHeight = 1205;
inline constexpr int kPropSmCaptionBarHeight = 1207;
inline constexpr int kPropFirstSysColor = 1601;  // SCROLLBAR; + n for system colour n
inline constexpr int kPropImageCount = 2401;
inline constexpr int kPropAlphaLevel = 2402;
inline constexpr int kPropBorderSize = 2403;
inline constexpr int kPropTrueSizeStretchMark = 2419;
inline constexpr int kPropTransparent = 2201;
inline constexpr int kPropBorderOnly = 2203;
inline constexpr int kPropGlyphTransparent = 2206;
inline constexpr int kPropMirrorImage = 2209;
inline constexpr int kPropUniformSizing = 2210;
inline constexpr int kPropCaptionFont = 801;
inline constexpr int kPropSmallCaptionFont = 802;
inline constexpr int kPropMenuFont = 803;
inline constexpr int kPropTextShadowOffset = 3402;
inline constexpr int kPropMinSize1 = 3404;
inline constexpr int kPropSizingMargins = 3601;
inline constexpr int kPropContentMargins = 3602;
inline constexpr int kPropCaptionMargins = 3603;
inline constexpr int kPropBorderColor = 3801;
inline constexpr int kPropFillColor = 3802;
inline constexpr int kPropTextColor = 3803;
inline constexpr int kPropTransparentColor = 3809;
inline constexpr int kPropTextShadowColor = 3818;
inline constexpr int kPropBgType = 4001;
inline constexpr int kPropSizingType = 4004;
inline constexpr int kPropContentAlignment = 4006;
inline constexpr int kPropVAlign = 4007;
inline constexpr int kPropTextShadowType = 4010;
inline constexpr int kPropImageLayout = 4011;
inline constexpr int kPropGlyphType = 4012;
inline constexpr int kPropImageSelectType = 4013;

// Enumerated values the framework itself compares with.
inline constexpr int kBgTypeImageFile = 0;
inline constexpr int kBgTypeBorderFill = 1;
inline constexpr int kBgTypeNone = 2;
inline constexpr int kImageLayoutVertical = 0;
inline constexpr int kImageLayoutHorizontal = 1;
inline constexpr int kSizingTrueSize = 0;
inline constexpr int kSizingStretch = 1;
inline constexpr int kSizingTile = 2;  // skin images tile their edges and centre
inline constexpr int kVAlignBottom = 2;
inline constexpr int kContentAlignCenter = 1;
inline constexpr int kGlyphTypeImage = 1;
inline constexpr int kImageSelectSize = 1;
inline constexpr int kTextShadowSingle = 1;

int GetSchemaClassCode(std::string_view className);
int GetSchemaPartCode(std::string_view className, std::string_view partName);
// `key` is the part name, or the class name for a section without part.
int GetSchemaStateCode(std::string_view key, std::string_view stateName);
// The id of a property name and its value kind (kKindNone and 0 when unknown).
int GetSchemaPropertyId(std::string_view propertyName, int* kind);
int GetSchemaEnumValue(std::string_view propertyName, std::string_view valueName);

// The upper-case name of a class code, empty for an unknown code.
std::string_view GetSchemaClassName(int classCode);

}  // namespace plym
