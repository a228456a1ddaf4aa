// app/base/pane_face.cpp
#include "app/base/pane_face.h"

#include <algorithm>

#include "app/base/play_layouts.h"
#include "controls/draw_helpers.h"
#include "controls/resource_picture.h"
#include "res/play_pane_ids.h"

namespace {

constexpr int kTitleCap = 5;  // end caps of the title strip, copied as they are

const controls::ResourcePicture& TitleStrip() {
    static controls::ResourcePicture strip;
    static const bool loaded = strip.Load(IDB_PANE_TITLE);
    (void)loaded;
    return strip;
}

void DrawTitleStrip(HDC dc, int x, int y, int width, int height) {
    const controls::ResourcePicture& picture = TitleStrip();
    if (!picture.loaded() || width <= 0)
        return;
    const HBITMAP strip = picture.bitmap;
    const int bitmapWidth = picture.width;
    const int bitmapHeight = picture.height;
    const int cap = std::min({kTitleCap, bitmapWidth / 2, width / 2});
    const int middle = bitmapWidth - 2 * cap;
    controls::StretchBitmap(dc, strip, x, y, cap, height, 0, 0, cap, bitmapHeight);
    controls::StretchBitmap(dc, strip, x + cap, y, width - 2 * cap, height, cap, 0, std::max(1, middle),
                            bitmapHeight);
    controls::StretchBitmap(dc, strip, x + width - cap, y, cap, height, bitmapWidth - cap, 0, cap,
                            bitmapHeight);
}

}  // namespace

void DrawPaneFace(CDC& dc, const CRect& client) {
    dc.FillSolidRect(&client, RGB(0, 0, 0));
    {
        const CPen pen(PS_SOLID, 2, static_cast<COLORREF>(play::kPaneFrameLine));
        const CGdiSelection selected(dc, pen);
        dc.SelectStockObject(NULL_BRUSH);
        dc.Rectangle(client.left, client.top, client.right, client.bottom);
    }
    DrawTitleStrip(dc, client.left, client.top, client.Width(), play::kPaneTitleHeight);
}
