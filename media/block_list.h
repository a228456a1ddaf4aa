// media/block_list.h
//
// An append-only list in fixed blocks of 16,384 elements: what the AVI writer
// keeps one entry per chunk in. Unlike a growing array it never moves what it
// holds and allocates once per block, which matters for files of millions of
// chunks. Elements are default-initialised with their block (plain bytes are
// left as they are until written), and the list hands out its contents as
// runs of adjacent elements.
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
    void push_back(const T& value) { Append() = value; }
    // Adds one element and returns it, to be written in place. May throw
    // std::bad_alloc; the list is unchanged then.
    T& Append() {
        if (next_ == end_)
            Reach();
        ++size_;
        return *next_++;
    }
    // Calls run(const T* first, size_t count) for the elements in order, one
    // block at a time; stops at the first call that returns false. False then.
    template <typename Run>
    bool ForEachRun(Run&& run) const {
        for (size_t at = 0; at < size_; at += kBlock) {
            const size_t count = size_ - at < kBlock ? size_ - at : kBlock;
            if (!run(blocks_[at / kBlock].get(), count))
                return false;
        }
        return true;
    }
    // Drops the elements from `n` on (n above the size changes nothing); their
    // blocks are kept for what comes next.
    void truncate(size_t n) {
        if (n < size_) {
            size_ = n;
            Seat();
        }
    }

  private:
    // Makes sure a block holds element size_, and seats the cursor there.
    void Reach() {
        if (size_ == blocks_.size() * kBlock) {
            blocks_.reserve(blocks_.size() + 1);
            blocks_.push_back(std::make_unique_for_overwrite<T[]>(kBlock));
        }
        Seat();
    }
    // The cursor at element size_: the rest of its block is free.
    void Seat() {
        const size_t block = size_ / kBlock;
        if (block < blocks_.size()) {
            next_ = blocks_[block].get() + size_ % kBlock;
            end_ = blocks_[block].get() + kBlock;
        } else {
            next_ = end_ = nullptr;
        }
    }

    std::vector<std::unique_ptr<T[]>> blocks_;
    size_t size_ = 0;
    T* next_ = nullptr;  // where the next element goes
    T* end_ = nullptr;   // the end of its block
};

}  // namespace media
