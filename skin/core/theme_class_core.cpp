// skin/core/theme_class_core.cpp
#include "skin/core/theme_class_core.h"

#include <algorithm>
#include <utility>

#include "skin/core/plym_muldiv.h"

namespace plym {
namespace {

constexpr Color kDefaultKeyColor = 0xFF00FF;
constexpr int kImageFileCount = 5;  // IMAGEFILE1 .. IMAGEFILE5

uint32_t CacheKey(int part, int state, int id) {
    return ((static_cast<uint32_t>(state) * 64u + static_cast<uint32_t>(part)) << 14) +
           static_cast<uint32_t>(id);
}

Rect Deflate(const Rect& rect, const Rect& by) {
    return {rect.left + by.left, rect.top + by.top, rect.right - by.right, rect.bottom - by.bottom};
}

}  // namespace

ThemeClassCore::ThemeClassCore(const SchemaStore* schema, std::string name, int classCode)
    : schema_(schema), name_(std::move(name)), classCode_(classCode) {}

const SchemaProperty* ThemeClassCore::FindProperty(int kind, int part, int state, int id) {
    const uint32_t key = CacheKey(part, state, id);
    const auto cached = cache_.find(key);
    if (cached != cache_.end())
        return cached->second && cached->second->kind == kind ? cached->second : nullptr;
    const SchemaProperty* property = schema_ ? schema_->LookupProperty(classCode_, part, state, id) : nullptr;
    if (!property) {
        cache_.emplace(key, nullptr);
        return nullptr;
    }
    if (property->kind != kind)
        return nullptr;
    cache_.emplace(key, property);
    return property;
}

std::string ThemeClassCore::GetThemeString(int part, int state, int id, std::string_view fallback) {
    const SchemaProperty* property = FindProperty(kKindString, part, state, id);
    return property ? property->text : std::string(fallback);
}

int ThemeClassCore::GetThemeInt(int part, int state, int id, int fallback) {
    const SchemaProperty* property = FindProperty(kKindInt, part, state, id);
    return property ? property->number : fallback;
}

bool ThemeClassCore::GetThemeBool(int part, int state, int id, bool fallback) {
    const SchemaProperty* property = FindProperty(kKindBool, part, state, id);
    return property ? property->number != 0 : fallback;
}

Color ThemeClassCore::GetThemeColor(int part, int state, int id, Color fallback) {
    const SchemaProperty* property = FindProperty(kKindColor, part, state, id);
    return property ? schema_->FilterColor(property->color) : fallback;
}

Rect ThemeClassCore::GetThemeRect(int part, int state, int id, Rect fallback) {
    const SchemaProperty* property = FindProperty(kKindRect, part, state, id);
    return property ? property->rect : fallback;
}

int ThemeClassCore::GetThemeEnumValue(int part, int state, int id, int fallback) {
    const SchemaProperty* property = FindProperty(kKindEnum, part, state, id);
    return property ? property->number : fallback;
}

Point ThemeClassCore::GetThemePosition(int part, int state, int id, Point fallback) {
    const SchemaProperty* property = FindProperty(kKindPosition, part, state, id);
    return property ? property->position : fallback;
}

std::string ThemeClassCore::ChooseImageFile(int part, int state) {
    if (GetThemeEnumValue(part, state, kPropImageSelectType, 0) != 0 &&
        GetThemeEnumValue(part, state, kPropGlyphType, 0) == 0) {
        std::string first = GetThemeString(part, state, kPropImageFile1, "");
        if (!first.empty())
            return first;
    }
    return GetThemeString(part, state, kPropImageFile, "");
}

Size ThemeClassCore::CellSize(const ImageInfo& image, int part, int state) {
    const int count = std::max(GetThemeInt(part, state, kPropImageCount, 1), 1);
    const bool vertical =
        GetThemeEnumValue(part, state, kPropImageLayout, kImageLayoutHorizontal) == kImageLayoutVertical;
    return vertical ? Size{image.width, image.height / count} : Size{image.width / count, image.height};
}

Rect ThemeClassCore::CellRect(Size cell, int count, bool horizontal, int state) {
    const int index = (state <= 0 || state > count) ? 0 : state - 1;
    if (horizontal)
        return {index * cell.cx, 0, (index + 1) * cell.cx, cell.cy};
    return {0, index * cell.cy, cell.cx, (index + 1) * cell.cy};
}

bool ThemeClassCore::GetThemePartSize(int part,
                                      int state,
                                      const Rect* rect,
                                      int sizeKind,
                                      Size* size,
                                      const ImageInfoFn& images) {
    if (GetThemeEnumValue(part, state, kPropBgType, kBgTypeImageFile) != kBgTypeImageFile)
        return false;
    const std::string file = ChooseImageFile(part, state);
    ImageInfo image;
    if (file.empty() || !images || !images(file, &image))
        return false;
    const Size cell = CellSize(image, part, state);
    if (sizeKind == 1) {
        *size = cell;
    } else if (sizeKind == 2) {
        if (GetThemeEnumValue(part, state, kPropSizingType, kSizingStretch) == kSizingTrueSize) {
            *size = cell;
        } else {
            *size = rect ? Size{rect->Width(), rect->Height()} : Size{0, 0};
            // A cell without height has no shape to keep: the width stays.
            if (cell.cy > 0 && GetThemeBool(part, state, kPropUniformSizing, false))
                size->cx = PlymMulDiv(size->cy, cell.cx, cell.cy);
        }
    }
    return true;
}

Size ThemeClassCore::GetCaptionButtonSize(int s, const ImageInfoFn& images) {
    constexpr int kCloseButton = 18;
    const Size square{s, s};
    if (GetThemeEnumValue(kCloseButton, 1, kPropBgType, kBgTypeImageFile) != kBgTypeImageFile)
        return square;
    const std::string file = ChooseImageFile(kCloseButton, 1);
    ImageInfo image;
    if (file.empty() || !images || !images(file, &image))
        return square;
    const Size cell = CellSize(image, kCloseButton, 1);
    // A cell without height would make every MulDiv -1: such an image is no
    // guide to the button's shape.
    if (cell.cx <= 0 || cell.cy <= 0)
        return square;
    return {PlymMulDiv(cell.cx - cell.cy, 4, cell.cy) + PlymMulDiv(cell.cx, s, cell.cy), s};
}

bool ThemeClassCore::PlanGlyph(int part,
                               int state,
                               const Rect& target,
                               const ImageInfoFn& images,
                               ImagePaint* glyph) {
    const Rect content =
        Deflate(target, ClampSkinMargins(GetThemeRect(part, state, kPropContentMargins, Rect{})));
    std::string file;
    if (GetThemeEnumValue(part, state, kPropImageSelectType, 0) == kImageSelectSize) {
        // The largest of IMAGEFILE1..5 whose MINSIZE fits the content.
        for (int n = kImageFileCount; n >= 1 && file.empty(); --n) {
            const Point minSize = GetThemePosition(part, state, kPropMinSize1 + n - 1, Point{});
            if (minSize.x <= content.Width() && minSize.y <= content.Height())
                file = GetThemeString(part, state, kPropImageFile1 + n - 1, "");
        }
    }
    if (file.empty())
        file = GetThemeString(part, state, kPropGlyphImageFile, "");
    ImageInfo image;
    if (file.empty() || !images(file, &image))
        return false;
    const int count = std::max(GetThemeInt(part, state, kPropImageCount, 1), 1);
    const bool horizontal =
        GetThemeEnumValue(part, state, kPropImageLayout, kImageLayoutHorizontal) != kImageLayoutVertical;
    const Size cell = CellSize(image, part, state);
    const int left = content.left + (content.Width() - cell.cx) / 2;
    const int top = std::max(content.top + (content.Height() - cell.cy) / 2, content.top);
    glyph->path = file;
    glyph->source = CellRect(cell, count, horizontal, state);
    glyph->destination = {left, top, left + cell.cx, top + cell.cy};
    glyph->margins = Rect{};
    glyph->key = (GetThemeBool(part, state, kPropGlyphTransparent, false) && !image.alpha)
                     ? GetThemeColor(part, state, kPropTransparentColor, kDefaultKeyColor)
                     : kNoColor;
    glyph->sizingType = kSizingTrueSize;
    glyph->borderOnly = false;
    glyph->mirror = GetThemeBool(part, state, kPropMirrorImage, true);
    glyph->imageCount = count;
    glyph->horizontal = horizontal;
    return true;
}

BackgroundPlan ThemeClassCore::PlanBackground(int part,
                                              int state,
                                              const Rect& target,
                                              const ImageInfoFn& images) {
    BackgroundPlan plan;
    const int bgType = GetThemeEnumValue(part, state, kPropBgType, kBgTypeImageFile);
    if (bgType == kBgTypeBorderFill) {
        plan.kind = BackgroundPlan::kBorderFill;
        return plan;
    }
    if (bgType == kBgTypeNone) {
        plan.kind = BackgroundPlan::kNothing;
        return plan;
    }
    ImagePaint& paint = plan.image;
    paint.path = ChooseImageFile(part, state);
    ImageInfo image;
    if (paint.path.empty() || !images || !images(paint.path, &image))
        return plan;  // kFail

    paint.margins = ClampSkinMargins(GetThemeRect(part, state, kPropSizingMargins, Rect{}));
    paint.imageCount = std::max(GetThemeInt(part, state, kPropImageCount, 1), 1);
    paint.horizontal =
        GetThemeEnumValue(part, state, kPropImageLayout, kImageLayoutHorizontal) != kImageLayoutVertical;
    const Size cell = CellSize(image, part, state);
    if (!image.alpha && GetThemeBool(part, state, kPropTransparent, false))
        paint.key = GetThemeColor(part, state, kPropTransparentColor, kDefaultKeyColor);

    paint.sizingType = GetThemeEnumValue(part, state, kPropSizingType, kSizingStretch);
    paint.destination = target;
    if (paint.sizingType == kSizingTrueSize) {
        Size size = cell;
        if (GetThemeInt(part, state, kPropTrueSizeStretchMark, 0) > 0) {
            size.cx = std::min(size.cx, target.Width());
            size.cy = std::min(size.cy, target.Height());
        }
        const int left = std::max(target.left + (target.Width() - size.cx) / 2, target.left);
        int top = std::max(target.top + (target.Height() - size.cy) / 2, target.top);
        if (GetThemeEnumValue(part, state, kPropVAlign, 0) == kVAlignBottom)
            top = std::max(target.bottom - size.cy, target.top);
        paint.destination = {left, top, left + size.cx, top + size.cy};
        paint.margins = Rect{};
    }
    paint.source = CellRect(cell, paint.imageCount, paint.horizontal, state);

    // The frame edges are never drawn border-only.
    const bool frameEdge = classCode_ == kClassWindow && part >= 7 && part <= 12;
    paint.borderOnly = !frameEdge && GetThemeBool(part, state, kPropBorderOnly, false);
    paint.mirror = GetThemeBool(part, state, kPropMirrorImage, true);
    plan.kind = BackgroundPlan::kImage;

    if (GetThemeEnumValue(part, state, kPropGlyphType, 0) == kGlyphTypeImage)
        plan.hasGlyph = PlanGlyph(part, state, target, images, &plan.glyph);
    return plan;
}

std::vector<SolidFill> ThemeClassCore::PlanBorderFill(int part, int state, const Rect& rect) {
    std::vector<SolidFill> fills;
    if (rect.IsEmpty())
        return fills;
    const int border = std::min(GetThemeInt(part, state, kPropBorderSize, 1), kMaxSkinExtent);
    Rect inner = rect;
    if (border >= 1 && FindProperty(kKindColor, part, state, kPropBorderColor)) {
        const Color color = GetThemeColor(part, state, kPropBorderColor, 0);
        // A band never reaches past the rectangle: a border wider than half
        // of it meets the opposite band and leaves no fill.
        const int down = std::min(border, rect.Height());
        const int across = std::min(border, rect.Width());
        fills.push_back({{rect.left, rect.top, rect.right, rect.top + down}, color});
        fills.push_back({{rect.left, rect.bottom - down, rect.right, rect.bottom}, color});
        fills.push_back({{rect.left, rect.top, rect.left + across, rect.bottom}, color});
        fills.push_back({{rect.right - across, rect.top, rect.right, rect.bottom}, color});
        inner = Deflate(rect, {border, border, border, border});
    }
    if (!inner.IsEmpty() && FindProperty(kKindColor, part, state, kPropFillColor) &&
        !GetThemeBool(part, state, kPropBorderOnly, false))
        fills.push_back({inner, GetThemeColor(part, state, kPropFillColor, 0)});
    return fills;
}

}  // namespace plym
