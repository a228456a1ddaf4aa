// skin/core/skin_image_layout.cpp
#include "skin/core/skin_image_layout.h"

#include "skin/core/image_pixels.h"

namespace plym {

uint32_t BottomUpPixels::At(int x, int y) const {
    const size_t row = static_cast<size_t>(height - 1 - y);
    return PixelAt(bits + (row * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4);
}

namespace {

// The one value of every pixel of `r` (inside the image), or false.
bool UniformValue(const BottomUpPixels& image, const Rect& r, uint32_t& value) {
    if (r.IsEmpty())
        return false;
    value = image.At(r.left, r.top);
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            if (image.At(x, y) != value)
                return false;
        }
    }
    return true;
}

}  // namespace

std::vector<SolidRect> FindSolidRects(const BottomUpPixels& image,
                                      int imageCount,
                                      bool horizontal,
                                      const Rect& margins,
                                      bool alphaImage) {
    std::vector<SolidRect> rects;
    if (image.bits == nullptr || image.width <= 0 || image.height <= 0)
        return rects;
    const int count = imageCount < 1 ? 1 : imageCount;
    const int cellWidth = horizontal ? image.width / count : image.width;
    const int cellHeight = horizontal ? image.height : image.height / count;
    if (cellWidth <= 0 || cellHeight <= 0)
        return rects;

    Rect cell;
    // A band of the current cell; margins wider than the cell are cut to it.
    auto add = [&](Rect r) {
        r.left = r.left < cell.left ? cell.left : r.left;
        r.top = r.top < cell.top ? cell.top : r.top;
        r.right = r.right > cell.right ? cell.right : r.right;
        r.bottom = r.bottom > cell.bottom ? cell.bottom : r.bottom;
        uint32_t value = 0;
        if (UniformValue(image, r, value))
            rects.push_back({r, PixelToColorRef(value, alphaImage)});
    };
    for (int i = 0; i < count; ++i) {
        cell = horizontal ? Rect{i * cellWidth, 0, (i + 1) * cellWidth, cellHeight}
                          : Rect{0, i * cellHeight, cellWidth, (i + 1) * cellHeight};
        uint32_t value = 0;
        if (UniformValue(image, cell, value)) {
            rects.push_back({cell, PixelToColorRef(value, alphaImage)});
            continue;
        }
        if (MarginsAreZero(margins))
            continue;
        const int innerLeft = cell.left + margins.left;
        const int innerTop = cell.top + margins.top;
        const int innerRight = cell.right - margins.right;
        const int innerBottom = cell.bottom - margins.bottom;
        add({cell.left, innerTop, innerLeft, innerBottom});      // left band
        add({innerLeft, cell.top, innerRight, innerTop});        // top band
        add({innerRight, innerTop, cell.right, innerBottom});    // right band
        add({innerLeft, innerBottom, innerRight, cell.bottom});  // bottom band
        add({innerLeft, innerTop, innerRight, innerBottom});     // centre
    }
    return rects;
}

const SolidRect* FindSolidRectFor(const std::vector<SolidRect>& rects, const Rect& source) {
    for (const SolidRect& solid : rects) {
        if (RectContains(solid.rect, source))
            return &solid;
    }
    return nullptr;
}

std::vector<GridPiece> SliceNineGrid(const Rect& destination,
                                     const Rect& source,
                                     const Rect& margins,
                                     bool borderOnly) {
    // Column and row edges: outer edge, margin, margin, outer edge.
    const int dx[4] = {destination.left, destination.left + margins.left, destination.right - margins.right,
                       destination.right};
    const int dy[4] = {destination.top, destination.top + margins.top, destination.bottom - margins.bottom,
                       destination.bottom};
    const int sx[4] = {source.left, source.left + margins.left, source.right - margins.right, source.right};
    const int sy[4] = {source.top, source.top + margins.top, source.bottom - margins.bottom, source.bottom};
    std::vector<GridPiece> pieces;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (borderOnly && row == 1 && column == 1)
                continue;
            GridPiece piece;
            piece.destination = {dx[column], dy[row], dx[column + 1], dy[row + 1]};
            piece.source = {sx[column], sy[row], sx[column + 1], sy[row + 1]};
            piece.corner = row != 1 && column != 1;
            if (piece.corner) {
                // A corner keeps its size, anchored at its own corner of the destination.
                const int w = piece.source.Width();
                const int h = piece.source.Height();
                piece.destination.left = column == 0 ? destination.left : destination.right - w;
                piece.destination.right = piece.destination.left + w;
                piece.destination.top = row == 0 ? destination.top : destination.bottom - h;
                piece.destination.bottom = piece.destination.top + h;
            }
            if (piece.destination.IsEmpty() || piece.source.IsEmpty())
                continue;
            pieces.push_back(piece);
        }
    }
    return pieces;
}

void AppendPieceBlits(const GridPiece& piece, bool tile, std::vector<Blit>& out) {
    const Rect& d = piece.destination;
    const Rect& s = piece.source;
    if (piece.corner || !tile || s.Width() == 1 || s.Height() == 1) {
        out.push_back({d, s});
        return;
    }
    for (int y = d.top; y < d.bottom; y += s.Height()) {
        const int h = d.bottom - y < s.Height() ? d.bottom - y : s.Height();
        for (int x = d.left; x < d.right; x += s.Width()) {
            const int w = d.right - x < s.Width() ? d.right - x : s.Width();
            out.push_back({{x, y, x + w, y + h}, {s.left, s.top, s.left + w, s.top + h}});
        }
    }
}

}  // namespace plym
