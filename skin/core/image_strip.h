// skin/core/image_strip.h
//
// The bookkeeping of a shared image strip: one row of equal cells in a
// 32-bit bottom-up bitmap (and its 1-bit mask), as the image manager's
// resources keep them (skin/core/image_icons.h). Cells in use and free cells
// are two lists; a new cell is the last freed one when there is one, else
// the strip grows by one cell on the right; when every cell is free again
// the strip is reset and the next cell starts a new strip at left 0.
//
// The caller owns the bitmaps: it grows them before AddCell and drops them
// when Free reports a reset. The row copies move pixels between a cell and a
// cell-sized bottom-up image (image row y is strip row y). Portable; the
// resource's lock guards every call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CPlymImageManagerResource;

// One cell of a strip.
struct PLYM_IMAGERESOURCE_INFO {
    int32_t bAlpha = 0;  // premultiplied alpha pixels; 0: colour pixels with a mask
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    CPlymImageManagerResource* pResource = nullptr;
};

namespace plym {

class StripCells {
  public:
    StripCells(int32_t cellWidth, int32_t cellHeight, CPlymImageManagerResource* owner)
        : cellWidth_(cellWidth), cellHeight_(cellHeight), owner_(owner) {}
    ~StripCells() { Reset(); }
    StripCells(const StripCells&) = delete;
    StripCells& operator=(const StripCells&) = delete;

    // The last freed cell, now in use; NULL when none is free.
    PLYM_IMAGERESOURCE_INFO* TakeFreeCell();
    // The strip's width once it has grown by one cell; 0 when it cannot
    // grow (no cell size, or wider than 32-bit sizes allow).
    int32_t GrownWidth() const;
    // After the caller grew its bitmaps to GrownWidth(): the new cell (alpha
    // 0, from the old right edge, top 0, bottom the cell height), in use.
    PLYM_IMAGERESOURCE_INFO* AddCell();

    enum class FreeResult { kNotInUse, kFreed, kReset };
    // Moves a cell in use to the free list; kReset when every cell was then
    // free and the strip was reset (all cells deleted, width 0).
    FreeResult Free(PLYM_IMAGERESOURCE_INFO* cell);
    void Reset();

    int32_t CellWidth() const { return cellWidth_; }
    int32_t CellHeight() const { return cellHeight_; }
    int32_t StripWidth() const { return stripWidth_; }
    size_t CellsInUse() const { return used_.size(); }
    size_t FreeCells() const { return free_.size(); }

  private:
    int32_t cellWidth_;
    int32_t cellHeight_;
    CPlymImageManagerResource* owner_;
    int32_t stripWidth_ = 0;
    std::vector<PLYM_IMAGERESOURCE_INFO*> used_;
    std::vector<PLYM_IMAGERESOURCE_INFO*> free_;
};

// Copies a cellWidth x cellHeight image into the cell at `left` of a strip
// `stripWidth` pixels wide (4 bytes a pixel), and back.
void CopyImageToCell(const uint8_t* image,
                     uint8_t* strip,
                     int32_t stripWidth,
                     int32_t left,
                     int32_t cellWidth,
                     int32_t cellHeight);
void CopyCellToImage(const uint8_t* strip,
                     int32_t stripWidth,
                     int32_t left,
                     int32_t cellWidth,
                     int32_t cellHeight,
                     uint8_t* image);
// Copies every row of a strip into the start of the matching row of a wider
// one (a strip that grew).
void CopyStripRows(const uint8_t* from, int32_t fromWidth, uint8_t* to, int32_t toWidth, int32_t height);

}  // namespace plym
