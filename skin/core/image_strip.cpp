// skin/core/image_strip.cpp
#include "skin/core/image_strip.h"

#include <algorithm>
#include <cstring>

namespace plym {

namespace {

size_t RowOffset(int32_t stripWidth, int32_t y, int32_t x) {
    return (static_cast<size_t>(stripWidth) * static_cast<size_t>(y) + static_cast<size_t>(x)) * 4;
}

}  // namespace

PLYM_IMAGERESOURCE_INFO* StripCells::TakeFreeCell() {
    if (free_.empty())
        return nullptr;
    PLYM_IMAGERESOURCE_INFO* cell = free_.back();
    free_.pop_back();
    used_.push_back(cell);
    return cell;
}

int32_t StripCells::GrownWidth() const {
    if (cellWidth_ <= 0 || cellHeight_ <= 0)
        return 0;
    const int64_t grown = int64_t{stripWidth_} + cellWidth_;
    return grown <= INT32_MAX ? static_cast<int32_t>(grown) : 0;
}

PLYM_IMAGERESOURCE_INFO* StripCells::AddCell() {
    const int32_t grown = GrownWidth();
    if (grown == 0)
        return nullptr;
    auto* cell = new PLYM_IMAGERESOURCE_INFO{0, stripWidth_, 0, grown, cellHeight_, owner_};
    used_.push_back(cell);
    stripWidth_ = grown;
    return cell;
}

StripCells::FreeResult StripCells::Free(PLYM_IMAGERESOURCE_INFO* cell) {
    auto it = std::find(used_.begin(), used_.end(), cell);
    if (it == used_.end())
        return FreeResult::kNotInUse;
    used_.erase(it);
    free_.push_back(cell);
    if (int64_t{cellWidth_} * static_cast<int64_t>(free_.size()) != stripWidth_)
        return FreeResult::kFreed;
    Reset();
    return FreeResult::kReset;
}

void StripCells::Reset() {
    for (PLYM_IMAGERESOURCE_INFO* cell : used_)
        delete cell;
    for (PLYM_IMAGERESOURCE_INFO* cell : free_)
        delete cell;
    used_.clear();
    free_.clear();
    stripWidth_ = 0;
}

void CopyImageToCell(const uint8_t* image,
                     uint8_t* strip,
                     int32_t stripWidth,
                     int32_t left,
                     int32_t cellWidth,
                     int32_t cellHeight) {
    const size_t row = static_cast<size_t>(cellWidth) * 4;
    for (int32_t y = 0; y < cellHeight; ++y)
        std::memcpy(strip + RowOffset(stripWidth, y, left), image + row * static_cast<size_t>(y), row);
}

void CopyCellToImage(const uint8_t* strip,
                     int32_t stripWidth,
                     int32_t left,
                     int32_t cellWidth,
                     int32_t cellHeight,
                     uint8_t* image) {
    const size_t row = static_cast<size_t>(cellWidth) * 4;
    for (int32_t y = 0; y < cellHeight; ++y)
        std::memcpy(image + row * static_cast<size_t>(y), strip + RowOffset(stripWidth, y, left), row);
}

void CopyStripRows(const uint8_t* from, int32_t fromWidth, uint8_t* to, int32_t toWidth, int32_t height) {
    const size_t row = static_cast<size_t>(fromWidth) * 4;
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(to + RowOffset(toWidth, y, 0), from + RowOffset(fromWidth, y, 0), row);
}

}  // namespace plym
