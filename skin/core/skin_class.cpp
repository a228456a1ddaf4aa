// skin/core/skin_class.cpp
#include "skin/core/skin_class.h"

#include "skin/core/skin_schema.h"
#include "skin/core/win_types.h"

CPlymSkinManagerClass::CPlymSkinManagerClass(CPlymSkinManagerSchema* schema,
                                             const std::string& name,
                                             int classCode)
    : plym::ThemeClassCore(schema, name, classCode), m_schema(schema) {}

IPlymSkinImage* CPlymSkinManagerClass::FetchImage(const std::string& path) {
    return m_images.Fetch(m_schema ? m_schema->GetSkinFile() : nullptr, path, m_schema);
}

plym::ImageInfoFn CPlymSkinManagerClass::ImageInfo() {
    return [this](const std::string& path, plym::ImageInfo* info) {
        IPlymSkinImage* image = FetchImage(path);
        if (!image)
            return false;
        *info = {image->PixelWidth(), image->PixelHeight(), image->HasAlpha() != FALSE};
        return true;
    };
}

BOOL CPlymSkinManagerClass::DrawThemeBackground(HDC dc, int part, int state, const RECT* rect) {
    return m_schema && rect ? m_schema->DrawThemeBackground(dc, this, part, state, rect) : FALSE;
}

BOOL CPlymSkinManagerClass::DrawThemeText(HDC dc,
                                          int part,
                                          int state,
                                          LPCWSTR text,
                                          int length,
                                          DWORD format,
                                          const RECT* rect) {
    if (!rect || !text)
        return FALSE;
    const plym::Rect margins =
        plym::ClampSkinMargins(GetThemeRect(part, state, plym::kPropCaptionMargins, {}));
    RECT area{rect->left + margins.left, rect->top + margins.top, rect->right - margins.right,
              rect->bottom - margins.bottom};
    if (GetThemeEnumValue(part, state, plym::kPropContentAlignment, 0) == plym::kContentAlignCenter)
        format |= DT_CENTER;
    const COLORREF oldColor = GetTextColor(dc);
    const COLORREF color = GetThemeColor(part, state, plym::kPropTextColor, oldColor);
    if (GetThemeEnumValue(part, state, plym::kPropTextShadowType, 0) == plym::kTextShadowSingle &&
        FindProperty(plym::kKindColor, part, state, plym::kPropTextShadowColor)) {
        const plym::Point offset = GetThemePosition(part, state, plym::kPropTextShadowOffset, {1, 1});
        RECT shadow = area;
        OffsetRect(&shadow, offset.x, offset.y);
        SetTextColor(dc, GetThemeColor(part, state, plym::kPropTextShadowColor, color));
        DrawTextW(dc, text, length, &shadow, format);
    }
    SetTextColor(dc, color);
    DrawTextW(dc, text, length, &area, format);
    SetTextColor(dc, oldColor);
    return TRUE;
}

BOOL CPlymSkinManagerClass::GetThemePartSize(int part,
                                             int state,
                                             const RECT* rect,
                                             int sizeKind,
                                             SIZE* size) {
    if (!size)
        return FALSE;
    const plym::Rect area = rect ? ToPlymRect(*rect) : plym::Rect{};
    plym::Size out{size->cx, size->cy};
    if (!plym::ThemeClassCore::GetThemePartSize(part, state, rect ? &area : nullptr, sizeKind, &out,
                                                ImageInfo()))
        return FALSE;
    *size = {out.cx, out.cy};
    return TRUE;
}
