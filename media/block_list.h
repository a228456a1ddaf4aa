// media/block_list.h
//
// An append-only list in fixed blocks of 16,384 elements: what the AVI writer
// keeps one entry per chunk in. Unlike a growing array it never moves what it
// holds and allocates once per block, which matters for files of millions of
// chunks. Elements are default-constructed with their block.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace media {

template <typename T>
class BlockList {
  public:
    static constexpr size_t kBlock = 16384;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T& operator[](size_t i) const { return blocks_[i / kBlock][i % kBlock]; }
    T& operator[](size_t i) { return blocks_[i / kBlock][i % kBlock]; }

    // May throw std::bad_alloc; the list is unchanged then.
    void push_back(const T& value) {
        if (size_ == blocks_.size() * kBlock) {
            blocks_.reserve(blocks_.size() + 1);
            blocks_.push_back(std::make_unique<T[]>(kBlock));
        }
        (*this)[size_++] = value;
    }
    // Drops the elements from `n` on (n above the size changes nothing); their
    // blocks are kept for what comes next.
    void truncate(size_t n) {
        if (n < size_)
            size_ = n;
    }

  private:
    std::vector<std::unique_ptr<T[]>> blocks_;
    size_t size_ = 0;
};

}  // namespace media
