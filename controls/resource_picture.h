// controls/resource_picture.h
//
// A bitmap resource of the program with its size, owning its handle: the
// pictures the sliders (and other picture-drawn controls) load by id.
#pragma once

#include "winlib/winlib.h"

namespace controls {

struct ResourcePicture {
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;

    ResourcePicture() = default;
    ResourcePicture(const ResourcePicture&) = delete;
    ResourcePicture& operator=(const ResourcePicture&) = delete;
    ~ResourcePicture() { Free(); }

    // Loads bitmap resource `id`; what was held is replaced only when the new
    // picture loads and has a size.
    bool Load(UINT id);
    void Free();
    // Takes `other`'s bitmap, freeing our own.
    void Take(ResourcePicture& other);
    bool loaded() const { return bitmap != nullptr; }
};

}  // namespace controls
