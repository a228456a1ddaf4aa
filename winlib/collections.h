// winlib/collections.h
//
// Thin collections over the standard library, under the names the dialogs
// use: CArray (a std::vector with GetSize/Add/RemoveAt/...), CStringArray,
// CDWordArray, and CMap (a std::map with Lookup/SetAt/RemoveKey).
//
// Indexes are checked: GetAt/operator[] on a bad index is a programming error
// (std::out_of_range from at()); RemoveAt/InsertAt clamp their counts.
// Deliberately not done: POSITION-based iteration, serialisation, the
// CList/CPtrArray families (use std::list / std::vector directly).
// Portable: no Windows header.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "winlib/cstring.h"

template <class T, class ARG = const T&>
class CArray {
  public:
    int GetSize() const { return static_cast<int>(items_.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return items_.empty(); }
    int GetUpperBound() const { return GetSize() - 1; }
    void SetSize(int size) { items_.resize(size > 0 ? static_cast<size_t>(size) : 0u); }

    T& GetAt(int index) { return items_.at(static_cast<size_t>(index)); }
    const T& GetAt(int index) const { return items_.at(static_cast<size_t>(index)); }
    void SetAt(int index, ARG value) { items_.at(static_cast<size_t>(index)) = value; }
    T& ElementAt(int index) { return GetAt(index); }
    T& operator[](int index) { return GetAt(index); }
    const T& operator[](int index) const { return GetAt(index); }
    T* GetData() { return items_.data(); }
    const T* GetData() const { return items_.data(); }

    // Index of the new element.
    int Add(ARG value) {
        items_.push_back(value);
        return GetSize() - 1;
    }
    void InsertAt(int index, ARG value, int count = 1) {
        if (count <= 0)
            return;
        const size_t at = index < 0 ? 0u : std::min(static_cast<size_t>(index), items_.size());
        std::vector<T> copies(static_cast<size_t>(count), value);
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), copies.begin(), copies.end());
    }
    void RemoveAt(int index, int count = 1) {
        if (index < 0 || count <= 0 || static_cast<size_t>(index) >= items_.size())
            return;
        const size_t last = std::min(items_.size(), static_cast<size_t>(index) + static_cast<size_t>(count));
        items_.erase(items_.begin() + index, items_.begin() + static_cast<std::ptrdiff_t>(last));
    }
    void RemoveAll() { items_.clear(); }
    void Copy(const CArray& other) { items_ = other.items_; }
    void Append(const CArray& other) {
        items_.insert(items_.end(), other.items_.begin(), other.items_.end());
    }

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    std::vector<T> items_;
};

using CStringArray = CArray<CString>;
using CDWordArray = CArray<uint32_t, uint32_t>;
using CUIntArray = CArray<unsigned, unsigned>;

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap {
  public:
    bool Lookup(ARG_KEY key, VALUE& value) const {
        auto it = items_.find(key);
        if (it == items_.end())
            return false;
        value = it->second;
        return true;
    }
    void SetAt(ARG_KEY key, ARG_VALUE value) { items_[key] = value; }
    VALUE& operator[](ARG_KEY key) { return items_[key]; }
    bool RemoveKey(ARG_KEY key) { return items_.erase(key) != 0; }
    void RemoveAll() { items_.clear(); }
    int GetCount() const { return static_cast<int>(items_.size()); }
    bool IsEmpty() const { return items_.empty(); }

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    std::map<KEY, VALUE> items_;
};
